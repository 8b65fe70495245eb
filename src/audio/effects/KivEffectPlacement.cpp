#include "audio/effects/KivEffectPlacement.h"

#include "audio/effects/KivEffectIdentity.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

KivEffectPlacement::KivEffectPlacement(const KivEffectIdentity& identity)
    : _identity(identity) {}

KivEffectUnit* KivEffectPlacement::unit() const {
    return _stream ? _stream->unitForNode(_node) : nullptr;
}

void KivEffectPlacement::place(KivStream* stream, std::int32_t node) {
    _stream = stream;
    _node = stream ? node : 0;
    _renderUnit.store(stream ? stream->unitForNode(node) : nullptr);
}

bool KivEffectPlacement::connectToInputOf(const KivEffectPlacement& other, std::uint32_t bus,
                                          KivError* error) {
    if (!_stream || other._stream != _stream) {
        return _identity.fail(KivStream::kNodeNotFound, kAUGraphErrorDomain, "connectToInputOf",
                              __LINE__, error);
    }
    const std::int32_t status = _stream->connectOutputOfNode(_node, 0, other._node, bus);
    return status == kEffectNoErr ||
           _identity.fail(status, kAUGraphErrorDomain, "connectToInputOf", __LINE__, error);
}

bool KivEffectPlacement::setRenderCallback(const KivRenderInfo& info, std::uint32_t bus,
                                           KivError* error) {
    const std::int32_t status =
        _stream ? _stream->setInputCallback(_node, bus, info) : KivStream::kNodeNotFound;
    return status == kEffectNoErr ||
           _identity.fail(status, kAUGraphErrorDomain, "setRenderCallback", __LINE__, error);
}

void KivEffectPlacement::clearRenderCallback(std::uint32_t bus) {
    if (_stream) {
        _stream->disconnectInputOfNode(_node, bus);
    }
}

std::optional<KivAudioStreamDescription> KivEffectPlacement::inputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->inputFormat();
    }
    return std::nullopt;
}

std::optional<KivAudioStreamDescription> KivEffectPlacement::outputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->outputFormat();
    }
    return std::nullopt;
}

bool KivEffectPlacement::setFormat(bool input, const KivAudioStreamDescription& format,
                                   KivError* error) {
    assertNotRenderThread();
    const char* operation = input ? "setInputStreamFormat" : "setOutputStreamFormat";
    KivEffectUnit* u = unit();
    if (!u) {
        return _identity.fail(kEffectUninitialized, kAudioUnitErrorDomain, operation, __LINE__,
                              error);
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
            logStatusError(status, _identity.name().c_str(), operation, __LINE__);
        }
        return failWith(error, kAudioUnitErrorDomain, status);
    }
    if (error) {
        error->clear();
    }
    return true;
}

std::int32_t KivEffectPlacement::changeProcessor(KivEffectUnit& unit,
                                                 const ProcessorChange& change) {
    if (!unit.isOnRenderPath()) {
        return _stream->withRenderLock(
            [&](const EffectRenderLock& held) { return change(unit.processor(), held); });
    }
    // The render path may be running this unit right now: the change goes
    // to a new one, which nothing renders until it takes the old one's place.
    std::int32_t status = kEffectNoErr;
    std::shared_ptr<KivEffectUnit> fresh = _stream->makeUnitLike(_node, status);
    if (!fresh) {
        return status;
    }
    status = _stream->withRenderLock(
        [&](const EffectRenderLock& held) { return change(fresh->processor(), held); });
    if (status == kEffectNoErr) {
        status = _stream->replaceUnit(_node, std::move(fresh));
    }
    return status;
}
