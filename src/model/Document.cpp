#include "model/Document.h"

#include "model/MediaName.h"

std::string Document::displayName() const {
    if (_filePath.empty()) {
        return "Untitled";
    }
    std::string name = MediaName::lastPathComponent(_filePath);
    if (const auto point = name.rfind('.'); point != std::string::npos && point > 0) {
        name.erase(point);
    }
    return name;
}
