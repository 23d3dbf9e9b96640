#include "firmware/upgrade_check.h"

const char* UpgradeCheckName(UpgradeCheck check) {
    switch (check) {
    case UpgradeCheck::DvdRomOnly: return "dvd-rom-only";
    case UpgradeCheck::ImageSize: return "image-size";
    case UpgradeCheck::Revision: return "revision";
    case UpgradeCheck::ImageSum: break;
    }
    return "image-sum";
}
