#include "model/BackgroundSave.h"

BackgroundSave::BackgroundSave(PackageContents contents, std::string packagePath,
                               PackageWriter writer, Completion completion, Scheduler& scheduler,
                               std::optional<FileOperations::FileState> expected)
    : _scheduler(scheduler)
    , _completion(std::move(completion)) {
    _thread = std::thread([this, contents = std::move(contents), path = std::move(packagePath),
                           writer = std::move(writer), expected] {
        _result = writer.write(contents, path, expected ? &*expected : nullptr, &_writtenState);
        _written.store(true, std::memory_order_release);
    });
    _timer = _scheduler.scheduleOnce(kPollInterval, [this] { poll(); });
}

BackgroundSave::~BackgroundSave() {
    _scheduler.cancel(_timer);
    if (_thread.joinable()) {
        _thread.join();
    }
}

void BackgroundSave::finish() {
    if (!_finished) {
        _scheduler.cancel(_timer);
        complete();
    }
}

void BackgroundSave::poll() {
    if (!_written.load(std::memory_order_acquire)) {
        _timer = _scheduler.scheduleOnce(kPollInterval, [this] { poll(); });
        return;
    }
    complete();
}

void BackgroundSave::complete() {
    _thread.join();
    _finished = true;
    // Last: the completion may destroy this object.
    const Completion completion = std::move(_completion);
    const KivError result = _result;
    if (completion) {
        completion(result);
    }
}
