#!/usr/bin/env bash
# The Debian package of one architecture, for scripts/dist.sh:
#   scripts/dist_deb.sh VERSION DEBARCH BUILD STAGE OUT
# BUILD is the release build of ktxflash and ktxcombine, STAGE an empty
# folder to assemble the package in, OUT where the .deb goes. Dates are
# SOURCE_DATE_EPOCH, the files root's, so the same input gives the same
# package.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$1 debarch=$2 bin=$3 pkg=$4 out=$5
name=ktx7724-tools
: "${SOURCE_DATE_EPOCH:?}"
umask 022

rm -rf "$pkg"
doc=$pkg/usr/share/doc/$name
mkdir -p "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/usr/share/man/man1" "$doc" \
         "$pkg/usr/share/bash-completion/completions" "$pkg/usr/share/lintian/overrides"
install -m 0755 "$bin/src/app/ktxflash" "$bin/tools/combine/ktxcombine" "$pkg/usr/bin/"
for page in ktxflash ktxcombine; do
  gzip -9n <"packaging/man/$page.1" >"$pkg/usr/share/man/man1/$page.1.gz"
  install -m 0644 "packaging/bash-completion/$page" "$pkg/usr/share/bash-completion/completions/$page"
done
install -m 0644 packaging/debian/lintian-overrides "$pkg/usr/share/lintian/overrides/$name"

# The copyright file in Debian's machine-readable format, with the licence's
# full text.
{ cat packaging/debian/copyright
  echo "License: Expat"
  sed -n '/^Permission/,$p' LICENSE | sed 's/^$/./; s/^/ /'
} >"$doc/copyright"

# A native package's changelog, made from CHANGELOG.md (the entry of this
# version dated by SOURCE_DATE_EPOCH), and the README for Linux users.
maintainer=$(sed -n 's/^Maintainer: //p' packaging/debian/control)
python3 scripts/deb_changelog.py CHANGELOG.md "$name" "$maintainer" "$version" "$SOURCE_DATE_EPOCH" \
  | gzip -9n >"$doc/changelog.gz"
sed "s/@VERSION@/$version/g" packaging/linux/README >"$doc/README"
chmod 0644 "$doc/README"

installed_kib=$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$debarch/" -e "s/@INSTALLED_SIZE@/$installed_kib/" \
  packaging/debian/control >"$pkg/DEBIAN/control"
(cd "$pkg" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
chmod 0644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"
find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

dpkg-deb --root-owner-group -Zxz --build "$pkg" "$out/${name}_${version}_${debarch}.deb" >/dev/null
