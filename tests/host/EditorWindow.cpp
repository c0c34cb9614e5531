#include "EditorWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdio>

using namespace Steinberg;

//==============================================================================
void EditorWindow::prepareXlib()
{
    XInitThreads();

    // Without a window manager Xvfb answers some of the plug-in's requests with harmless
    // errors (BadAtom when JUCE reads window-manager properties whose atoms no window
    // manager has made); Xlib's default handler would end the process.
    XSetErrorHandler ([] (Display*, XErrorEvent* error)
    {
        std::fprintf (stderr, "X error %d on request %d ignored\n", (int) error->error_code, (int) error->request_code);
        return 0;
    });
}

EditorWindow::EditorWindow (Vst::IEditController& controller, HostRunLoop& loop)
    : runLoop (loop)
{
    attached = open (controller);
}

EditorWindow::~EditorWindow()
{
    if (view != nullptr)
    {
        if (attached)
            view->removed();

        view->setFrame (nullptr);
        view = nullptr;
    }

    if (display != nullptr)
    {
        runLoop.watchHostDescriptor (-1, {});

        if (window != 0)
            XDestroyWindow (display, window);

        XCloseDisplay (display);
    }
}

bool EditorWindow::open (Vst::IEditController& controller)
{
    view = owned (controller.createView (Vst::ViewType::kEditor));

    if (view == nullptr)
        return fail ("createView returned no view");

    if (view->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID) != kResultTrue)
        return fail ("the view does not support X11 embedding");

    ViewRect size;

    if (view->getSize (&size) != kResultTrue || size.getWidth() <= 0 || size.getHeight() <= 0)
        return fail ("the view has no size");

    display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return fail ("cannot open the X display");

    runLoop.watchHostDescriptor (ConnectionNumber (display), [this] { drainEvents(); });

    const auto screen = DefaultScreen (display);
    window = XCreateSimpleWindow (display, RootWindow (display, screen), 0, 0,
                                  (unsigned int) size.getWidth(), (unsigned int) size.getHeight(),
                                  0, BlackPixel (display, screen), BlackPixel (display, screen));
    XStoreName (display, window, "Quillorn editor test host");
    XMapWindow (display, window);
    XSync (display, False);

    if (view->setFrame (this) != kResultTrue)
        return fail ("setFrame failed");

    if (view->attached (reinterpret_cast<void*> (window), kPlatformTypeX11EmbedWindowID) != kResultTrue)
        return fail ("attached failed");

    return true;
}

bool EditorWindow::fail (std::string step)
{
    failure = std::move (step);
    return false;
}

//==============================================================================
Screenshot EditorWindow::takeScreenshot() const
{
    XSync (display, False);

    XWindowAttributes attributes;
    XGetWindowAttributes (display, window, &attributes);

    auto* image = XGetImage (display, window, 0, 0, (unsigned int) attributes.width,
                             (unsigned int) attributes.height, AllPlanes, ZPixmap);

    if (image == nullptr)
        return {};

    const auto channel = [] (unsigned long pixel, unsigned long mask)
    {
        return (std::uint32_t) ((pixel & mask) >> std::countr_zero (mask)) & 0xffu;
    };

    Screenshot shot { attributes.width, attributes.height, {} };
    shot.pixels.reserve ((size_t) (shot.width * shot.height));

    for (int y = 0; y < shot.height; ++y)
    {
        for (int x = 0; x < shot.width; ++x)
        {
            const auto pixel = XGetPixel (image, x, y);
            shot.pixels.push_back (channel (pixel, image->red_mask) << 16
                                   | channel (pixel, image->green_mask) << 8
                                   | channel (pixel, image->blue_mask));
        }
    }

    XDestroyImage (image);
    return shot;
}

//==============================================================================
tresult PLUGIN_API EditorWindow::resizeView (IPlugView* resizedView, ViewRect* newSize)
{
    if (resizedView != view || newSize == nullptr)
        return kInvalidArgument;

    XResizeWindow (display, window, (unsigned int) newSize->getWidth(), (unsigned int) newSize->getHeight());
    XSync (display, False);
    return view->onSize (newSize);
}

tresult PLUGIN_API EditorWindow::queryInterface (const TUID queryIid, void** obj)
{
    // JUCE's VST3 client looks for the host's run loop on the frame.
    if (FUnknownPrivate::iidEqual (queryIid, Linux::IRunLoop_iid))
        return runLoop.queryInterface (queryIid, obj);

    if (FUnknownPrivate::iidEqual (queryIid, IPlugFrame_iid)
        || FUnknownPrivate::iidEqual (queryIid, FUnknown_iid))
    {
        *obj = static_cast<IPlugFrame*> (this);
        return kResultOk;
    }

    *obj = nullptr;
    return kNoInterface;
}

void EditorWindow::drainEvents()
{
    // The editor's own window has its own connection; this one only needs its queue
    // emptied.
    while (XPending (display) > 0)
    {
        XEvent event;
        XNextEvent (display, &event);
    }
}
