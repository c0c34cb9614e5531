#pragma once

#include <pluginterfaces/gui/iplugview.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

/** The host's run loop that a Linux plug-in registers its file descriptors and timers
    with: JUCE's VST3 client hands it the X11 connection and its message queue, and then
    treats the thread that pumps this loop as its message thread.

    The host owns it; addRef and release only count, so the plug-in's references must
    all be gone before it is destroyed.
*/
class HostRunLoop final : public Steinberg::Linux::IRunLoop
{
public:
    HostRunLoop() = default;
    HostRunLoop (const HostRunLoop&) = delete;
    HostRunLoop& operator= (const HostRunLoop&) = delete;

    /** Also watches a descriptor of the host's own (its X connection), so that waiting
        for the plug-in's descriptors wakes up for it too; the callback drains it. */
    void watchHostDescriptor (int fd, std::function<void()> onReadable);

    /** Waits for the registered descriptors and timers and dispatches them until the
        time is up. */
    void runFor (std::chrono::milliseconds duration);

    int getNumEventHandlers() const noexcept   { return (int) eventHandlers.size(); }
    int getNumTimers() const noexcept          { return (int) timers.size(); }
    int getReferenceCount() const noexcept     { return refCount; }

    //==============================================================================
    Steinberg::tresult PLUGIN_API registerEventHandler (Steinberg::Linux::IEventHandler*, Steinberg::Linux::FileDescriptor) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler (Steinberg::Linux::IEventHandler*) override;
    Steinberg::tresult PLUGIN_API registerTimer (Steinberg::Linux::ITimerHandler*, Steinberg::Linux::TimerInterval) override;
    Steinberg::tresult PLUGIN_API unregisterTimer (Steinberg::Linux::ITimerHandler*) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID, void**) override;
    Steinberg::uint32 PLUGIN_API addRef() override   { return (Steinberg::uint32) ++refCount; }
    Steinberg::uint32 PLUGIN_API release() override  { return (Steinberg::uint32) --refCount; }

private:
    using Clock = std::chrono::steady_clock;

    struct EventHandler
    {
        Steinberg::Linux::IEventHandler* handler;
        int fd;
    };

    struct Timer
    {
        Steinberg::Linux::ITimerHandler* handler;
        Clock::duration interval;
        Clock::time_point due;
    };

    void dispatchOnce (Clock::time_point deadline);
    void dispatchReadable (int fd);
    void dispatchDueTimers();

    std::vector<EventHandler> eventHandlers;
    std::vector<Timer> timers;
    int hostFd = -1;
    std::function<void()> onHostReadable;
    std::atomic<int> refCount { 1 };
};
