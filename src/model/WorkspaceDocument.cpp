// The workspace's document side: reading, saving and moving its package.
#include "audio/device/KivAudioDevice.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/PackageMediaFile.h"
#include "model/PackagePath.h"
#include "model/PondraLogger.h"
#include "model/SavingError.h"
#include "model/Workspace.h"
#include "model/WorkspaceArchive.h"
#include "model/WorkspaceSavePlan.h"
#include "model/WorkspaceSettings.h"
#include "platform/alias/KivAlias.h"
#include "platform/files/FileOperations.h"
#include "platform/files/PathIdentity.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kVersion = PONDRA_VERSION;
constexpr int kReadingLogLevel = 3;

// The whole "document" file, refused past the size limit before it is read,
// and its state as read.
std::optional<std::string> readDocument(const std::string& path, std::string& error,
                                        FileOperations::FileState& state) {
    std::string text;
    switch (const int result = FileOperations::readRegularFile(
                path, WorkspaceArchive::kMaximumDocumentSize, text, &state)) {
    case 0:
        return text;
    case EINVAL:
    case EISDIR:
        error = "not a file";
        return std::nullopt;
    case EFBIG:
        error = "the document is larger than " +
                std::to_string(WorkspaceArchive::kMaximumDocumentSize) + " bytes";
        return std::nullopt;
    default:
        error = std::strerror(result);
        return std::nullopt;
    }
}

// The path the cue's media has in the package now, and whether its file
// reference still finds it there (it does not once the package it was
// opened in has been replaced by a save).
bool pointsAt(const AudioCue& cue, const std::string& path) {
    if (cue.file() != path) {
        return false;
    }
    const KivAudioSource* source = cue.audioSource();
    const auto alias = source != nullptr ? source->alias() : nullptr;
    return alias && alias->fullPath() == path;
}

} // namespace

void Workspace::initializeUntitled() {
    assertMainThread();
    if (filePath().empty() && _carts.empty() && !_createdFromDrag) {
        auto cart = std::make_shared<Cart>();
        cart->setName("Cart 1");
        addCart(std::move(cart));
    }
}

bool Workspace::readFromPackage(const std::string& path, KivError& error) {
    assertMainThread();
    if (KivEnvironment::logLevel() >= kReadingLogLevel) {
        logLine("Reading workspace data from disk...");
    }
    std::string reason;
    FileOperations::FileState state;
    const auto text = readDocument(path + "/" + PackagePath::kDocumentFile, reason, state);
    auto archive = text ? WorkspaceArchive::fromText(*text, reason) : std::nullopt;
    if (!archive) {
        error = SavingError::readFailed(path, reason);
        return false;
    }
    setDiskState(state);
    logFormat("Loading workspace saved from version %s.", archive->version.c_str());

    const auto currentUID = audioDevice() ? audioDevice()->deviceUID() : std::nullopt;
    if (archive->audioDeviceUID && archive->audioDeviceUID != currentUID) {
        if (auto device = KivAudioDevice::deviceWithUID(*archive->audioDeviceUID)) {
            _output.setAudioDevice(std::move(device));
        }
    }
    _output.setDeviceChannel(archive->deviceChannel);
    if (archive->logger) {
        setLogger(archive->logger);
    }
    setLocked(archive->locked);
    _output.restore(archive->masterVolume,
                    archive->duckedVolume.value_or(WorkspaceOutput::kDefaultDuckedVolume),
                    archive->ducked);
    if (_settings != nullptr && archive->settings.is_object()) {
        _settings->setState(archive->settings);
    } else {
        _savedSettingsState = archive->settings;
    }
    replaceCarts(std::move(archive->carts), PathIdentity::canonicalPath(path));
    _output.applyMasterVolume();
    return true;
}

void Workspace::replaceCarts(std::vector<std::shared_ptr<Cart>> carts,
                             const std::string& packagePath) {
    while (!_carts.empty()) {
        removeCart(_carts.back());
    }
    for (auto& cart : carts) {
        for (const auto& [internalIndex, cue] : cart->cues()) {
            cue->setCart(cart.get());
            // Only the cue's own name in the package is looked at: a cue that
            // has none, or whose file is not there, is missing, and never
            // borrows another cue's "Media/<file name>".
            const auto& documentPath = cue->documentPath();
            if (documentPath && MediaName::isTrustedDocumentPath(*documentPath)) {
                auto alias = PackageMediaFile::alias(packagePath, *documentPath);
                cue->setSaved(alias != nullptr);
                cue->updateFile(packagePath + "/" + *documentPath, std::move(alias));
            } else {
                cue->setDocumentPath(std::nullopt);
                cue->setSaved(false);
            }
            cue->setAudioDevice(audioDevice());
        }
        addCart(std::move(cart));
    }
}

std::optional<PackageContents> Workspace::contentsForSaving(KivError& error) {
    assertMainThread();
    auto plan = WorkspaceSavePlan::make(_carts, error);
    if (!plan) {
        return std::nullopt;
    }
    WorkspaceArchive archive;
    archive.version = kVersion;
    if (const auto& device = audioDevice(); device && !device->died()) {
        archive.audioDeviceUID = device->deviceUID();
    }
    archive.deviceChannel = deviceChannel();
    archive.carts = _carts;
    archive.locked = isLocked();
    archive.ducked = isDucked();
    // The stored value: while ducked the device plays the ducked volume.
    archive.masterVolume = _output.storedMasterVolume();
    archive.duckedVolume = duckedVolume();
    archive.settings = _settings != nullptr ? _settings->state() : _savedSettingsState;
    archive.logger = _logger;

    plan->assignNames();
    std::string reason;
    auto text = archive.archivedText(plan->leftOut(), reason);
    if (!text) {
        plan->revert();
        error = SavingError::saveDocument(reason);
        return std::nullopt;
    }
    PackageContents contents{std::move(*text), plan->media()};
    _savePlan = std::make_unique<WorkspaceSavePlan>(std::move(*plan));
    return contents;
}

void Workspace::didSave(bool success) {
    assertMainThread();
    if (!_savePlan) {
        return;
    }
    if (success) {
        _savePlan->apply();
    } else {
        _savePlan->revert();
    }
    _savePlan.reset();
}

void Workspace::setFilePath(const std::string& path) {
    assertMainThread();
    const std::string package = PathIdentity::canonicalPath(path);
    for (const auto& cart : _carts) {
        for (const auto& [internalIndex, cue] : cart->cues()) {
            if (!cue->saved() || !cue->documentPath() ||
                !MediaName::isTrustedDocumentPath(*cue->documentPath())) {
                continue;
            }
            const std::string media = package + "/" + *cue->documentPath();
            if (!pointsAt(*cue, media)) {
                cue->moveFile(media, PackageMediaFile::alias(package, *cue->documentPath()));
            }
        }
    }
    Document::setFilePath(path);
}

void Workspace::close() {
    assertMainThread();
    _tmp.remove();
}
