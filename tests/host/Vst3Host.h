#pragma once

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivsthostapplication.h>
#include <pluginterfaces/vst/ivstmessage.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>

#include <memory>
#include <string>
#include <vector>

namespace quillorn::host
{

/** A growable in-memory stream, as a host hands to getState and setState. */
class MemoryStream final : public Steinberg::U::Implements<Steinberg::U::Directly<Steinberg::IBStream,
                                                                                  Steinberg::ISizeableStream>>
{
public:
    MemoryStream() = default;
    explicit MemoryStream (std::vector<char> initialData) : data (std::move (initialData)) {}

    const std::vector<char>& getData() const noexcept   { return data; }

    Steinberg::tresult PLUGIN_API read (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek (Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell (Steinberg::int64* pos) override;
    Steinberg::tresult PLUGIN_API getStreamSize (Steinberg::int64& size) override;
    Steinberg::tresult PLUGIN_API setStreamSize (Steinberg::int64 size) override;

private:
    std::vector<char> data;
    size_t position = 0;
};

//==============================================================================
/** Parameter changes for one block: each parameter gets a single point at offset 0. */
class ParameterChanges final : public Steinberg::U::ImplementsNonDestroyable<Steinberg::U::Directly<Steinberg::Vst::IParameterChanges>>
{
public:
    void set (Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value);

    Steinberg::int32 PLUGIN_API getParameterCount() override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData (Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData (const Steinberg::Vst::ParamID& id, Steinberg::int32& index) override;

private:
    class Queue final : public Steinberg::U::ImplementsNonDestroyable<Steinberg::U::Directly<Steinberg::Vst::IParamValueQueue>>
    {
    public:
        Queue (Steinberg::Vst::ParamID idToUse, Steinberg::Vst::ParamValue valueToUse) : id (idToUse), value (valueToUse) {}

        Steinberg::Vst::ParamID PLUGIN_API getParameterId() override   { return id; }
        Steinberg::int32 PLUGIN_API getPointCount() override           { return 1; }
        Steinberg::tresult PLUGIN_API getPoint (Steinberg::int32 index, Steinberg::int32& sampleOffset, Steinberg::Vst::ParamValue& valueOut) override;
        Steinberg::tresult PLUGIN_API addPoint (Steinberg::int32, Steinberg::Vst::ParamValue, Steinberg::int32&) override { return Steinberg::kResultFalse; }

        Steinberg::Vst::ParamID id;
        Steinberg::Vst::ParamValue value;
    };

    std::vector<std::unique_ptr<Queue>> queues;
};

//==============================================================================
/** The host's context object for initialize(): a name, and no objects of its own to create. */
class HostApplication final : public Steinberg::U::ImplementsNonDestroyable<Steinberg::U::Directly<Steinberg::Vst::IHostApplication>>
{
public:
    Steinberg::tresult PLUGIN_API getName (Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API createInstance (Steinberg::TUID, Steinberg::TUID, void** obj) override;
};

//==============================================================================
/** A loaded VST3 module: dlopen, ModuleEntry and the factory; ModuleExit and dlclose on destruction. */
class Vst3Module final
{
public:
    explicit Vst3Module (const std::string& path = QUILLORN_VST3_BINARY);
    ~Vst3Module();

    Vst3Module (const Vst3Module&) = delete;
    Vst3Module& operator= (const Vst3Module&) = delete;

    Steinberg::IPluginFactory& getFactory() const noexcept   { return *factory; }

    /** Creates an instance of the class with this ID, asking for the interface I. */
    template <typename I>
    Steinberg::IPtr<I> create (const Steinberg::TUID classId) const
    {
        void* object = nullptr;

        if (factory->createInstance (classId, I::iid, &object) != Steinberg::kResultOk)
            return {};

        return Steinberg::owned (static_cast<I*> (object));
    }

    /** Class ID of the factory's class at this index. */
    std::vector<char> getClassId (int index) const;

private:
    void* handle = nullptr;
    bool entered = false;
    Steinberg::IPtr<Steinberg::IPluginFactory> factory;
};

//==============================================================================
/** One plug-in instance as a host drives it: component and controller created from the factory,
    initialised and connected; processing is set up and started by prepare(). Everything is
    stopped, disconnected, terminated and released in reverse order on destruction.
*/
class Vst3Plugin final
{
public:
    /** Creates and connects the component (factory class 0) and the controller it names. */
    explicit Vst3Plugin (const Vst3Module& module);
    ~Vst3Plugin();

    Vst3Plugin (const Vst3Plugin&) = delete;
    Vst3Plugin& operator= (const Vst3Plugin&) = delete;

    Steinberg::Vst::IComponent& getComponent() const noexcept            { return *component; }
    Steinberg::Vst::IAudioProcessor& getProcessor() const noexcept       { return *processor; }
    Steinberg::Vst::IEditController& getController() const noexcept      { return *controller; }

    /** Deactivated, sets up 32-bit processing, activates both audio buses, then activates and
        starts processing. Returns false if any step is refused. */
    bool prepare (double sampleRate, int maxBlockSize);

    /** Stops processing and deactivates the component, if it is running. */
    void release();

    /** Sets both audio buses to this many channels (1 or 2) while deactivated; returns setBusArrangements' answer. */
    Steinberg::tresult setChannelCount (int numChannels);

    /** Runs one block through IAudioProcessor::process. `input` holds one vector per input channel,
        all of the block's length; `output` is resized to match and overwritten. */
    Steinberg::tresult process (const std::vector<std::vector<float>>& input,
                                std::vector<std::vector<float>>& output,
                                Steinberg::Vst::IParameterChanges* parameterChanges = nullptr);

    /** Runs one block with the bypass parameter set as given at its start; kResultFalse if
        the controller has no bypass parameter. */
    Steinberg::tresult processWithBypass (bool bypassed,
                                          const std::vector<std::vector<float>>& input,
                                          std::vector<std::vector<float>>& output);

    /** The component's state as getState writes it. */
    std::vector<char> getState() const;

    /** Hands these bytes to the component's setState. */
    Steinberg::tresult setState (std::vector<char> data) const;

    /** ID of the parameter that the controller flags as bypass, or -1 if there is none. */
    Steinberg::int64 findBypassParameter() const;

private:
    HostApplication hostApplication;
    Steinberg::IPtr<Steinberg::Vst::IComponent> component;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor;
    Steinberg::IPtr<Steinberg::Vst::IEditController> controller;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> componentConnection, controllerConnection;
    bool componentInitialised = false, controllerInitialised = false;
    bool active = false, processing = false;
    Steinberg::Vst::SpeakerArrangement arrangement = Steinberg::Vst::SpeakerArr::kStereo;
};

} // namespace quillorn::host
