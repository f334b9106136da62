#include "device/v4l2/uvc_descriptors.h"

#include <cstdio>

namespace device::v4l2 {
namespace {

constexpr uint8_t kDescriptorConfiguration = 0x02;
constexpr uint8_t kDescriptorInterface = 0x04;
constexpr uint8_t kDescriptorCsInterface = 0x24;
constexpr uint8_t kClassVideo = 0x0E;
constexpr uint8_t kSubclassVideoControl = 0x01;

// Smallest length of each entity descriptor (bLength) that still holds its fixed fields.
size_t minimumLength(uint8_t subtype) {
    switch (subtype) {
        case VideoControlEntity::kInputTerminal:
            return 8;
        case VideoControlEntity::kOutputTerminal:
            return 9;
        case VideoControlEntity::kSelectorUnit:
            return 6;
        case VideoControlEntity::kProcessingUnit:
            return 9;
        case VideoControlEntity::kExtensionUnit:
            return 24;
        case VideoControlEntity::kEncodingUnit:
            return 13;
        default:
            return 0;
    }
}

// An extension unit's variable part (bNrInPins sources, bControlSize control bytes)
// must fit in its bLength.
bool extensionUnitConsistent(const uint8_t* d, size_t length) {
    size_t pins = d[21];
    if (22 + pins >= length)
        return false;
    size_t controlSize = d[22 + pins];
    return 24 + pins + controlSize <= length;
}

}  // namespace

DescriptorWalk walkVideoControlDescriptors(const uint8_t* data, size_t size, int interfaceNumber) {
    DescriptorWalk walk;
    if (!data)
        size = 0;
    bool inVideoControl = false;
    int currentInterface = -1;
    size_t offset = 0;
    while (offset < size) {
        if (size - offset < 2) {
            walk.complete = false;
            walk.problem = "truncated descriptor at byte " + std::to_string(offset);
            break;
        }
        const uint8_t* d = data + offset;
        const size_t length = d[0];
        const uint8_t type = d[1];
        if (length < 2) {
            walk.complete = false;
            walk.problem =
                "descriptor of length " + std::to_string(length) + " at byte " + std::to_string(offset);
            break;
        }
        if (length > size - offset) {
            walk.complete = false;
            walk.problem = "descriptor at byte " + std::to_string(offset) + " runs past the end";
            break;
        }
        if (type == kDescriptorConfiguration) {
            inVideoControl = false;
        } else if (type == kDescriptorInterface) {
            if (length < 9) {
                walk.complete = false;
                walk.problem = "short interface descriptor at byte " + std::to_string(offset);
                break;
            }
            currentInterface = d[2];
            inVideoControl = d[5] == kClassVideo && d[6] == kSubclassVideoControl &&
                             (interfaceNumber < 0 || currentInterface == interfaceNumber);
        } else if (type == kDescriptorCsInterface && inVideoControl && length >= 3) {
            const uint8_t subtype = d[2];
            const size_t minimum = minimumLength(subtype);
            if (minimum != 0) {
                bool usable = length >= minimum && d[3] != 0;
                if (usable && subtype == VideoControlEntity::kExtensionUnit)
                    usable = extensionUnitConsistent(d, length);
                if (!usable) {
                    ++walk.rejected;
                    if (walk.problem.empty())
                        walk.problem = "malformed unit descriptor at byte " + std::to_string(offset);
                } else {
                    VideoControlEntity entity;
                    entity.subtype = subtype;
                    entity.id = d[3];
                    entity.interfaceNumber = currentInterface;
                    if (subtype == VideoControlEntity::kExtensionUnit)
                        for (size_t i = 0; i < 16; ++i)
                            entity.guid[i] = d[4 + i];
                    walk.entities.push_back(entity);
                }
            }
        }
        offset += length;
    }
    return walk;
}

const VideoControlEntity* findExtensionUnit(const DescriptorWalk& walk, const GuidBytes& guid) {
    for (const VideoControlEntity& entity : walk.entities)
        if (entity.isExtensionUnit() && entity.guid == guid)
            return &entity;
    return nullptr;
}

std::string guidText(const GuidBytes& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g[3], g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13],
                  g[14], g[15]);
    return text;
}

}  // namespace device::v4l2
