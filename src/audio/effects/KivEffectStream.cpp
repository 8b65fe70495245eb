#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

bool KivEffect::addToStream(KivStream& stream, KivError* error) {
    std::int32_t node = 0;
    const std::int32_t status = stream.addComponentDescription(componentDescription(), node);
    if (status != kEffectNoErr) {
        return fail(status, kAUGraphErrorDomain, "addToStream", __LINE__, error);
    }
    setStream(&stream, node);
    return true;
}

bool KivEffect::removeFromStream(KivError* error) {
    return _stream ? _stream->removeEffect(this, error) : true;
}

void KivEffect::setStream(KivStream* stream, std::int32_t node) {
    if (_stream && liveUnit()) {
        // The unit goes with the node; what it holds must not go with it.
        saveState();
    }
    if (_stream) {
        _stream->forgetEffect(this);
    }
    _stream = stream;
    _node = stream ? node : 0;
    _renderUnit.store(stream ? stream->unitForNode(node) : nullptr);
    if (_stream) {
        _stream->rememberEffect(this);
    }
}

bool KivEffect::connectToInputOf(KivEffect& other, std::uint32_t bus, KivError* error) {
    if (!_stream || other._stream != _stream) {
        return fail(KivStream::kNodeNotFound, kAUGraphErrorDomain, "connectToInputOf", __LINE__,
                    error);
    }
    const std::int32_t status = _stream->connectOutputOfNode(_node, 0, other._node, bus);
    return status == kEffectNoErr ||
           fail(status, kAUGraphErrorDomain, "connectToInputOf", __LINE__, error);
}

bool KivEffect::connectToOutputOf(KivEffect& other, KivError* error) {
    return other.connectToInputOf(*this, 0, error);
}

bool KivEffect::setRenderCallback(const KivRenderInfo& info, std::uint32_t bus, KivError* error) {
    const std::int32_t status =
        _stream ? _stream->setInputCallback(_node, bus, info) : KivStream::kNodeNotFound;
    return status == kEffectNoErr ||
           fail(status, kAUGraphErrorDomain, "setRenderCallback", __LINE__, error);
}

void KivEffect::clearRenderCallback(std::uint32_t bus) {
    if (_stream) {
        _stream->disconnectInputOfNode(_node, bus);
    }
}

KivEffectUnit* KivEffect::unit() const {
    return _stream ? _stream->unitForNode(_node) : nullptr;
}

KivEffectUnit* KivEffect::liveUnit() const {
    return hasPendingState() ? nullptr : unit();
}

std::optional<KivAudioStreamDescription> KivEffect::inputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->inputFormat();
    }
    return std::nullopt;
}

std::optional<KivAudioStreamDescription> KivEffect::outputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->outputFormat();
    }
    return std::nullopt;
}

std::uint32_t KivEffect::inputChannels() const {
    const auto format = inputStreamFormat();
    return format ? format->channels() : 0;
}

std::uint32_t KivEffect::outputChannels() const {
    const auto format = outputStreamFormat();
    return format ? format->channels() : 0;
}

bool KivEffect::setFormat(bool input, const KivAudioStreamDescription& format, KivError* error) {
    assertNotRenderThread();
    const char* operation = input ? "setInputStreamFormat" : "setOutputStreamFormat";
    KivEffectUnit* u = unit();
    if (!u) {
        return fail(kEffectUninitialized, kAudioUnitErrorDomain, operation, __LINE__, error);
    }
    auto write = [&] { return input ? u->setInputFormat(format) : u->setOutputFormat(format); };
    std::int32_t status = write();
    if (status == kEffectUnitInitialized) {
        const bool wasRunning = _stream->isRunning();
        _stream->stop();
        status = _stream->withRenderLock([&](const EffectRenderLock& held) {
            u->uninitialize();
            const std::int32_t written = write();
            const std::int32_t prepared = u->initialize(held, _stream->maximumFramesPerSlice());
            if (written != kEffectNoErr) {
                return written;
            }
            // Between the input and the output write the two sides differ;
            // the unit is prepared once the second write makes them agree.
            return u->formatsAgree() ? prepared : kEffectNoErr;
        });
        if (wasRunning) {
            _stream->start();
        }
    } else if (status == kEffectNoErr && _stream->isInitialized() && !u->isInitialized() &&
               u->formatsAgree()) {
        // The write that makes the two sides agree again prepares the unit.
        status = _stream->withRenderLock([&](const EffectRenderLock& held) {
            return u->initialize(held, _stream->maximumFramesPerSlice());
        });
    }
    if (status != kEffectNoErr) {
        // A refused format is the chain's business to report; others are logged here.
        if (status != kEffectFormatNotSupported) {
            logStatusError(status, _name.c_str(), operation, __LINE__);
        }
        return failWith(error, kAudioUnitErrorDomain, status);
    }
    if (error) {
        error->clear();
    }
    return true;
}

bool KivEffect::setInputStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setFormat(true, format, error);
}

bool KivEffect::setOutputStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setFormat(false, format, error);
}

bool KivEffect::setStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setInputStreamFormat(format, error) && setOutputStreamFormat(format, error);
}
