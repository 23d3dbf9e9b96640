#!/bin/bash
# Makes the qemu guest of one architecture for the kernel tests: Debian's
# kernel (the package linux-image-ARCH depends on) and busybox-static,
# fetched with apt-get download once and kept in CACHE/ARCH (never
# installed), and an initramfs holding busybox, the modules the USB gadget,
# usb-storage, sg and sr need, the release's ktxflash combined with the
# sample image, the device programs and the guest script as /init.
#
#   make_guest.sh ARCH RELEASE_DIR PROGRAMS_DIR KTXSAMPLEIMAGE CACHE OUT
#
# ARCH is x86_64 or arm64. Writes OUT/kernel and OUT/initrd.
set -euo pipefail
arch=$1 release=$2 programs=$3 sampleimage=$4 cache=$5 out=$6
here=$(cd "$(dirname "$0")" && pwd)
case $arch in
  x86_64) debarch=amd64 ;;
  arm64) debarch=arm64 ;;
  *) echo "make_guest: unknown architecture $arch" >&2; exit 2 ;;
esac
modules=(configfs dummy_hcd libcomposite usb_f_fs usb-storage sg sr_mod)

# The kernel and busybox, once: later runs need no network.
kcache=$cache/$arch
if [ ! -f "$kcache/ready" ]; then
  rm -rf "$kcache" && mkdir -p "$kcache/deb"
  kernel_pkg=$(apt-cache depends "linux-image-$debarch:$debarch" | sed -n 's/^ *Depends: //p' | head -n1)
  [ -n "$kernel_pkg" ] || { echo "make_guest: no linux-image-$debarch:$debarch (run scripts/install-deps.sh)" >&2; exit 1; }
  (cd "$kcache/deb" && apt-get download -q "$kernel_pkg" "busybox-static:$debarch" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
  for deb in "$kcache"/deb/*.deb; do dpkg-deb -x "$deb" "$kcache/root"; done
  version=$(ls "$kcache/root/lib/modules")
  depmod -b "$kcache/root" "$version"
  cp "$kcache/root/boot/vmlinuz-$version" "$kcache/kernel"
  rm -rf "$kcache/deb" "$kcache/root/boot" "$kcache/root/usr"
  touch "$kcache/ready"
fi
version=$(ls "$kcache/root/lib/modules")

root=$out/root
rm -rf "$root" && mkdir -p "$out" "$root"/{bin,dev,etc,proc,sys,tmp,ffs,lib/modules/"$version"}
cp "$kcache/root/bin/busybox" "$root/bin/"

# The modules and what they depend on (modules.dep: "path: dependency...").
mdir=$kcache/root/lib/modules/$version
for m in "${modules[@]}"; do
  line=$(grep -E "(^|/)${m}\.ko(\.[a-z]+)?:" "$mdir/modules.dep") || { echo "make_guest: no module $m" >&2; exit 1; }
  for f in ${line/:/}; do
    mkdir -p "$root/lib/modules/$version/$(dirname "$f")"
    cp "$mdir/$f" "$root/lib/modules/$version/$f"
  done
done
cp "$mdir"/modules.{order,builtin,builtin.modinfo} "$root/lib/modules/$version/"
depmod -b "$root" "$version"

# ktxflash as released, combined with the sample image; ktxcombine from the
# x86-64 tarball runs here for either architecture.
unpack() { mkdir -p "$out/$1" && tar -xzf "$(ls "$release"/ktx7724-tools-*-linux-"$1".tar.gz)" -C "$out/$1" --strip-components=1; }
unpack "$arch"
[ "$arch" = x86_64 ] || unpack x86_64
"$sampleimage" "$root/sample.bin" >/dev/null
sum_args=()
# The image's byte sum, once ktxcombine asks for it.
if "$out/x86_64/ktxcombine" --help 2>&1 | grep -q -- --sum; then sum_args=(--sum 0E89); fi
"$out/x86_64/ktxcombine" "$out/$arch/ktxflash" "$root/sample.bin" --revision "" --mask 0 "${sum_args[@]}" \
  -o "$root/bin/ktxflash" >/dev/null
cp "$programs/ktxusbdrive" "$programs/ktxholdopen" "$root/bin/"
cp "$here/guest_cases.sh" "$root/init"
chmod 0755 "$root/init" "$root/bin/"*
printf 'root:x:0:0::/:/bin/sh\nuser:x:1000:1000::/tmp:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\nuser:x:1000:\n' >"$root/etc/group"

cp "$kcache/kernel" "$out/kernel"
(cd "$root" && find . | sort | cpio -o -H newc --quiet) | gzip -1 >"$out/initrd"
