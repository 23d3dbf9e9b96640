#include "drive_config.h"


namespace sim {

std::string DriveName(const DriveConfig& config) {
    std::string name = std::to_string(config.adapter) + ":" + std::to_string(config.target);
    if (config.letter != 0) {
        name += ' ';
        name += config.letter;
        name += ':';
    }
    return name;
}

}  // namespace sim
