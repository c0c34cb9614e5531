#pragma once

#include "HostRunLoop.h"
#include "Screenshot.h"

#include <pluginterfaces/base/smartpointer.h>
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <string>

// Xlib's macros (None, Bool, Status...) clash with other headers, so it stays in the .cpp.
struct _XDisplay;

/** The host side of a plug-in's editor on Linux: a top-level X11 window of the view's
    size, with the view embedded in it by its X window id.

    The window is its view's IPlugFrame and hands out the host's run loop through it;
    pump that run loop for the editor to receive its events and paint. Everything is
    torn down in the destructor: the view is removed and released, then the window closed.
*/
class EditorWindow final : private Steinberg::IPlugFrame
{
public:
    EditorWindow (Steinberg::Vst::IEditController& controller, HostRunLoop& runLoop);
    ~EditorWindow();

    EditorWindow (const EditorWindow&) = delete;
    EditorWindow& operator= (const EditorWindow&) = delete;

    /** Call first thing in main, before the plug-in is loaded: the plug-in opens its own X
        connection from its message thread, and Xlib has to be made thread-safe before
        any connection exists. */
    static void prepareXlib();

    /** Empty when the view is attached to the window, otherwise the step that failed. */
    const std::string& getFailure() const noexcept   { return failure; }

    Steinberg::IPlugView& getView() const noexcept   { return *view; }

    /** Reads back what the window shows, child windows included (no compositor under
        Xvfb), at the window's current size. */
    Screenshot takeScreenshot() const;

private:
    Steinberg::tresult PLUGIN_API resizeView (Steinberg::IPlugView*, Steinberg::ViewRect*) override;

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID, void**) override;
    Steinberg::uint32 PLUGIN_API addRef() override   { return 1; }
    Steinberg::uint32 PLUGIN_API release() override  { return 1; }

    bool open (Steinberg::Vst::IEditController&);
    bool fail (std::string step);
    void drainEvents();

    HostRunLoop& runLoop;
    _XDisplay* display = nullptr;
    unsigned long window = 0;
    Steinberg::IPtr<Steinberg::IPlugView> view;
    bool attached = false;
    std::string failure;
};
