// Prints what the program's embedded firmware package says about itself, so
// the combine test can check, from outside, that a combined program reads
// the header and image that ktxcombine wrote into its file.
//   uncombined
//   combined tag=P1.3 expected-sum=0E89 mask=0F computed-sum=0E89

#include <cstdio>

#include "firmware/firmware_package.h"

int main() {
    const FirmwarePackage package = FirmwarePackage::Embedded();
    if (package.isUncombined()) {
        std::printf("uncombined\n");
        return 0;
    }
    std::printf("combined tag=%s expected-sum=%04X mask=%02X computed-sum=%04X\n",
                package.revisionTag().data(), static_cast<unsigned>(package.expectedSum()),
                static_cast<unsigned>(package.versionCheckMask()),
                static_cast<unsigned>(byteSum16(package.image(), kImageSize)));
    return 0;
}
