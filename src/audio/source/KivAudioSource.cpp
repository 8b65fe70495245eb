#include "audio/source/KivAudioSource.h"

#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivAudioSend.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "platform/alias/KivAlias.h"

#include <utility>

std::shared_ptr<KivAudioSource> KivAudioSource::create(Scheduler& scheduler, const Clock& clock) {
    std::shared_ptr<KivAudioSource> source(new KivAudioSource(scheduler, clock));
    if (!source->_graph.createStream()) {
        logLine("Error: KivAudioSource could not create a stream.");
        return nullptr;
    }
    source->_weakSelf = source;
    std::weak_ptr<KivAudioSource> weak = source;
    source->_sendObservation = NotificationCenter::defaultCenter().addObserver(
        kKivAudioSendDidUpdateStreamNotification, nullptr, [weak](const Notification& note) {
            if (auto self = weak.lock()) {
                self->sendDidUpdateStream(note.object);
            }
        });
    source->_graph.setUnitReplacedHandler([weak] {
        if (auto self = weak.lock()) {
            self->unitReplaced();
        }
    });
    {
        std::lock_guard control(source->_controlMutex);
        source->updateDescriptionLocked();
    }
    return source;
}

KivAudioSource::KivAudioSource(Scheduler& scheduler, const Clock& clock)
    : _scheduler(scheduler)
    , _clock(clock)
    , _graph(clock) {}

KivAudioSource::~KivAudioSource() {
    _sendObservation.disconnect();
    _graph.gains().endFades();
    std::unique_ptr<KivAudioMetaBuffer> buffer;
    {
        std::lock_guard control(_controlMutex);
        stopAndDetachLocked();
        _route.disengage();
        buffer = _graph.teardown();
    }
    if (buffer) {
        buffer->killWorker();
    }
}

std::shared_ptr<KivAlias> KivAudioSource::alias() const {
    std::lock_guard control(_controlMutex);
    return _alias;
}

void KivAudioSource::setAlias(std::shared_ptr<KivAlias> alias) {
    std::lock_guard control(_controlMutex);
    if (alias == _alias) {
        return;
    }
    _alias = std::move(alias);
    updateStream();
}

std::shared_ptr<KivAudioDevice> KivAudioSource::sharedDevice() const {
    std::lock_guard control(_controlMutex);
    return _route.sharedDevice();
}

void KivAudioSource::setDevice(std::shared_ptr<KivAudioDevice> device) {
    std::lock_guard control(_controlMutex);
    if (device == _route.sharedDevice()) {
        return;
    }
    stopAndDetachLocked();
    _route.setDevice(std::move(device));
    updateStream();
}

std::shared_ptr<KivAudioSend> KivAudioSource::send() const {
    std::lock_guard control(_controlMutex);
    return _route.send();
}

void KivAudioSource::setSend(std::shared_ptr<KivAudioSend> send) {
    std::lock_guard control(_controlMutex);
    if (send == _route.send()) {
        return;
    }
    stopAndDetachLocked();
    _route.setSend(std::move(send));
    updateStream();
}

void KivAudioSource::sendDidUpdateStream(const void* send) {
    std::lock_guard control(_controlMutex);
    if (send != nullptr && send == _route.send().get()) {
        updateStream();
    }
}

bool KivAudioSource::setSlices(const nlohmann::json& slices) {
    std::lock_guard control(_controlMutex);
    return _graph.reader().setSlices(slices);
}

std::vector<std::shared_ptr<KivEffect>> KivAudioSource::effects() const {
    std::lock_guard control(_controlMutex);
    return _graph.effects();
}

void KivAudioSource::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    std::lock_guard control(_controlMutex);
    _graph.setEffects(std::move(effects));
}

void KivAudioSource::addEffect(const std::shared_ptr<KivEffect>& effect) {
    std::lock_guard control(_controlMutex);
    _graph.addEffect(effect);
}

void KivAudioSource::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    std::lock_guard control(_controlMutex);
    _graph.removeEffect(effect);
}

void KivAudioSource::unitReplaced() {
    std::lock_guard control(_controlMutex);
    _graph.unitReplaced();
}

double KivAudioSource::tailTime() const {
    std::lock_guard control(_controlMutex);
    return _graph.tailTime();
}

std::uint32_t KivAudioSource::fileChannels() const {
    std::lock_guard control(_controlMutex);
    return _graph.fileChannels();
}

std::uint32_t KivAudioSource::micChannels() const {
    std::lock_guard control(_controlMutex);
    return _alias || !_route.sharedDevice() ? 0 : _route.sharedDevice()->inputChannels();
}

KivAudioSourceDelegate* KivAudioSource::delegate() const {
    std::lock_guard control(_controlMutex);
    return _delegate;
}

void KivAudioSource::setDelegate(KivAudioSourceDelegate* delegate) {
    std::lock_guard control(_controlMutex);
    _delegate = delegate;
}

void KivAudioSource::useManualBuffers() {
    std::lock_guard control(_controlMutex);
    _graph.reader().useManualWorker();
    updateStream();
}

void KivAudioSource::tendBuffers() {
    std::lock_guard control(_controlMutex);
    _graph.reader().tend();
}

void KivAudioSource::updateStream() {
    _graph.rebuild(_alias, _route.outFormat(), _route.sharedDevice() != nullptr);
    updateDescriptionLocked();
}

void KivAudioSource::goToTime(double seconds) {
    std::lock_guard control(_controlMutex);
    _graph.reader().goToTime(seconds);
}

std::string KivAudioSource::description() const {
    std::lock_guard lock(_descriptionMutex);
    return _descriptionText;
}

void KivAudioSource::updateDescriptionLocked() {
    std::string text;
    if (!_alias && !_route.sharedDevice()) {
        text = "[empty audio source]";
    } else {
        text = "[" + (_alias ? _alias->description() : std::string("(null)")) +
               _route.description() + "]";
    }
    std::lock_guard lock(_descriptionMutex);
    _descriptionText = std::move(text);
}
