#pragma once

#include <functional>
#include <memory>

class KivAudioDevice;

// Opens an output device off the GUI thread: opening talks to the device,
// and a JACK server that hangs would hold its caller for as long as it hangs.
// The device is engaged on a thread of its own, which holds nothing but the
// device and so may be left behind when the server never answers; once it is
// open the GUI thread is told, and the opener's engage is handed back there,
// where the device stays open through whoever took it over. An opening that
// is no longer wanted (a newer one replaced it, or the opener has gone) lets
// its device go on a thread of its own too. GUI thread.
class OutputOpener {
public:
    // GUI thread: whether the device opened; `device` is engaged by the
    // opener until the call returns.
    using Opened = std::function<void(const std::shared_ptr<KivAudioDevice>& device, bool open)>;

    OutputOpener();
    ~OutputOpener();
    OutputOpener(const OutputOpener&) = delete;
    OutputOpener& operator=(const OutputOpener&) = delete;

    // Replaces any opening under way, whose `opened` is then never called.
    void open(std::shared_ptr<KivAudioDevice> device, Opened opened);
    bool isOpening() const;

    // Gives up an engage of the device on a thread of its own: the last one
    // closes the device, which a hung server may never let finish.
    static void releaseOffThread(std::shared_ptr<KivAudioDevice> device);

private:
    struct State;
    std::shared_ptr<State> _state;
};
