#include "audio/source/KivSourceRoute.h"

#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivAudioSend.h"
#include "foundation/KivLog.h"

#include <utility>

void KivSourceRoute::setDevice(std::shared_ptr<KivAudioDevice> device) {
    disengage();
    _device = std::move(device);
    _devicePointer.store(_device.get(), std::memory_order_release);
    if (_device) {
        _device->engage();
    }
}

void KivSourceRoute::disengage() {
    if (_device) {
        _device->disengage();
    }
}

std::optional<KivAudioStreamDescription> KivSourceRoute::outFormat() const {
    if (_send) {
        return _send->inputFormat();
    }
    if (_device) {
        return _device->_outFeedFormat();
    }
    return std::nullopt;
}

bool KivSourceRoute::attach(KivAudioPlayable& source) {
    if (!_send) {
        return _device->_attachAudio(source);
    }
    if (_send->device() != _device.get()) {
        logFormat("Error: %s is not the assigned device for send %s",
                  _device->description().c_str(), _send->description().c_str());
        return false;
    }
    if (!_send->_attachAudio(source)) {
        logFormat("Error: %s could not attach %s to send %s", _device->description().c_str(),
                  source.description().c_str(), _send->description().c_str());
        return false;
    }
    return true;
}

void KivSourceRoute::detach(KivAudioPlayable& source) {
    if (_send) {
        _send->_detachAudio(source);
    }
    if (_device) {
        _device->_detachAudio(source);
    }
}

std::string KivSourceRoute::description() const {
    std::string text = " played to " + (_device ? _device->description() : std::string("(null)"));
    if (_send) {
        text += " through " + _send->description();
    }
    return text;
}
