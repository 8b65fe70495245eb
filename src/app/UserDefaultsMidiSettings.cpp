#include "app/UserDefaultsMidiSettings.h"

#include "KivUI/services/UserDefaults.h"

int UserDefaultsMidiSettings::virtualInputStreamID() const {
    bool isNumber = false;
    const int identifier = _defaults.value(kVirtualInputStreamIDKey).toInt(&isNumber);
    return isNumber ? identifier : 0;
}

void UserDefaultsMidiSettings::setVirtualInputStreamID(int identifier) {
    _defaults.setValue(kVirtualInputStreamIDKey, identifier);
}
