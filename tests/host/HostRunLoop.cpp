#include "HostRunLoop.h"

#include <algorithm>
#include <poll.h>

using namespace Steinberg;

//==============================================================================
void HostRunLoop::watchHostDescriptor (int fd, std::function<void()> onReadable)
{
    hostFd = fd;
    onHostReadable = std::move (onReadable);
}

void HostRunLoop::runFor (std::chrono::milliseconds duration)
{
    const auto deadline = Clock::now() + duration;

    while (Clock::now() < deadline)
        dispatchOnce (deadline);
}

//==============================================================================
tresult PLUGIN_API HostRunLoop::registerEventHandler (Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (handler == nullptr)
        return kInvalidArgument;

    eventHandlers.push_back ({ handler, fd });
    return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterEventHandler (Linux::IEventHandler* handler)
{
    const auto removed = std::erase_if (eventHandlers, [handler] (const auto& e) { return e.handler == handler; });
    return removed > 0 ? kResultTrue : kInvalidArgument;
}

tresult PLUGIN_API HostRunLoop::registerTimer (Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
    if (handler == nullptr || milliseconds == 0)
        return kInvalidArgument;

    const auto interval = std::chrono::milliseconds (milliseconds);
    timers.push_back ({ handler, interval, Clock::now() + interval });
    return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterTimer (Linux::ITimerHandler* handler)
{
    const auto removed = std::erase_if (timers, [handler] (const auto& t) { return t.handler == handler; });
    return removed > 0 ? kResultTrue : kInvalidArgument;
}

tresult PLUGIN_API HostRunLoop::queryInterface (const TUID queryIid, void** obj)
{
    if (FUnknownPrivate::iidEqual (queryIid, Linux::IRunLoop_iid)
        || FUnknownPrivate::iidEqual (queryIid, FUnknown_iid))
    {
        addRef();
        *obj = this;
        return kResultOk;
    }

    *obj = nullptr;
    return kNoInterface;
}

//==============================================================================
void HostRunLoop::dispatchOnce (Clock::time_point deadline)
{
    auto wakeUp = deadline;

    for (const auto& t : timers)
        wakeUp = std::min (wakeUp, t.due);

    std::vector<pollfd> fds;

    for (const auto& e : eventHandlers)
        fds.push_back ({ e.fd, POLLIN, 0 });

    if (hostFd >= 0)
        fds.push_back ({ hostFd, POLLIN, 0 });

    const auto timeout = std::chrono::ceil<std::chrono::milliseconds> (std::max (wakeUp - Clock::now(), Clock::duration::zero()));

    if (::poll (fds.data(), (nfds_t) fds.size(), (int) timeout.count()) > 0)
        for (const auto& p : fds)
            if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0)
                dispatchReadable (p.fd);

    // Xlib may already hold events read from the socket, which poll cannot see.
    if (onHostReadable)
        onHostReadable();

    dispatchDueTimers();
}

void HostRunLoop::dispatchReadable (int fd)
{
    if (fd == hostFd)
        return;

    // A handler may re-register its descriptors from inside its callback, so each one
    // is looked up again rather than taken from a list made before the first call.
    std::vector<Linux::IEventHandler*> handlers;

    for (const auto& e : eventHandlers)
        if (e.fd == fd)
            handlers.push_back (e.handler);

    for (auto* handler : handlers)
        if (std::any_of (eventHandlers.begin(), eventHandlers.end(), [=] (const auto& e) { return e.handler == handler && e.fd == fd; }))
            handler->onFDIsSet (fd);
}

void HostRunLoop::dispatchDueTimers()
{
    const auto now = Clock::now();
    std::vector<Linux::ITimerHandler*> due;

    for (auto& t : timers)
    {
        if (t.due <= now)
        {
            due.push_back (t.handler);
            t.due = now + t.interval;
        }
    }

    for (auto* handler : due)
        if (std::any_of (timers.begin(), timers.end(), [=] (const auto& t) { return t.handler == handler; }))
            handler->onTimer();
}
