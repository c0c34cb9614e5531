#include "Vst3Host.h"

#include <pluginterfaces/base/ustring.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>

using namespace Steinberg;

namespace quillorn::host
{

tresult PLUGIN_API MemoryStream::read (void* buffer, int32 numBytes, int32* numBytesRead)
{
    const auto count = std::min ((size_t) std::max (numBytes, 0), data.size() - std::min (position, data.size()));

    if (count > 0)
        std::memcpy (buffer, data.data() + position, count);

    position += count;

    if (numBytesRead != nullptr)
        *numBytesRead = (int32) count;

    return kResultTrue;
}

tresult PLUGIN_API MemoryStream::write (void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytes < 0)
        return kInvalidArgument;

    data.resize (std::max (data.size(), position + (size_t) numBytes));

    if (numBytes > 0)
        std::memcpy (data.data() + position, buffer, (size_t) numBytes);

    position += (size_t) numBytes;

    if (numBytesWritten != nullptr)
        *numBytesWritten = numBytes;

    return kResultTrue;
}

tresult PLUGIN_API MemoryStream::seek (int64 pos, int32 mode, int64* result)
{
    const auto base = mode == kIBSeekSet ? (int64) 0
                    : mode == kIBSeekCur ? (int64) position
                                         : (int64) data.size();

    if (base + pos < 0)
        return kResultFalse;

    position = (size_t) (base + pos);

    if (result != nullptr)
        *result = (int64) position;

    return kResultTrue;
}

tresult PLUGIN_API MemoryStream::tell (int64* pos)
{
    if (pos == nullptr)
        return kInvalidArgument;

    *pos = (int64) position;
    return kResultTrue;
}

tresult PLUGIN_API MemoryStream::getStreamSize (int64& size)
{
    size = (int64) data.size();
    return kResultTrue;
}

tresult PLUGIN_API MemoryStream::setStreamSize (int64 size)
{
    if (size < 0)
        return kInvalidArgument;

    data.resize ((size_t) size);
    return kResultTrue;
}

//==============================================================================
void ParameterChanges::set (Vst::ParamID id, Vst::ParamValue value)
{
    queues.push_back (std::make_unique<Queue> (id, value));
}

int32 PLUGIN_API ParameterChanges::getParameterCount()
{
    return (int32) queues.size();
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData (int32 index)
{
    return index >= 0 && index < (int32) queues.size() ? queues[(size_t) index].get() : nullptr;
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData (const Vst::ParamID&, int32&)
{
    // Output parameter changes are not collected.
    return nullptr;
}

tresult PLUGIN_API ParameterChanges::Queue::getPoint (int32 index, int32& sampleOffset, Vst::ParamValue& valueOut)
{
    if (index != 0)
        return kInvalidArgument;

    sampleOffset = 0;
    valueOut = value;
    return kResultTrue;
}

//==============================================================================
tresult PLUGIN_API HostApplication::getName (Vst::String128 name)
{
    return UString (name, 128).fromAscii ("Quillorn test host") ? kResultTrue : kInternalError;
}

tresult PLUGIN_API HostApplication::createInstance (TUID, TUID, void** obj)
{
    // Without messages of our own, component and controller reach each other directly on connect.
    *obj = nullptr;
    return kNotImplemented;
}

//==============================================================================
Vst3Module::Vst3Module (const std::string& path)
{
    handle = dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
        throw std::runtime_error (std::string ("dlopen failed: ") + dlerror());

    using EntryFunction = bool (*) (void*);
    using FactoryFunction = IPluginFactory* (*)();

    const auto entry = reinterpret_cast<EntryFunction> (dlsym (handle, "ModuleEntry"));
    const auto getFactory = reinterpret_cast<FactoryFunction> (dlsym (handle, "GetPluginFactory"));

    if (entry == nullptr || getFactory == nullptr || ! entry (handle))
    {
        dlclose (handle);
        throw std::runtime_error ("the module has no usable entry points");
    }

    entered = true;
    factory = owned (getFactory());

    if (factory == nullptr)
        throw std::runtime_error ("GetPluginFactory returned nothing");
}

Vst3Module::~Vst3Module()
{
    factory = nullptr;

    if (entered)
        if (const auto exit = reinterpret_cast<bool (*)()> (dlsym (handle, "ModuleExit")))
            exit();

    dlclose (handle);
}

std::vector<char> Vst3Module::getClassId (int index) const
{
    PClassInfo info {};

    if (factory->getClassInfo (index, &info) != kResultOk)
        return {};

    return { info.cid, info.cid + sizeof (TUID) };
}

//==============================================================================
Vst3Plugin::Vst3Plugin (const Vst3Module& module)
{
    const auto componentClass = module.getClassId (0);
    component = module.create<Vst::IComponent> (componentClass.data());

    if (component == nullptr || component->initialize (&hostApplication) != kResultOk)
        throw std::runtime_error ("the component cannot be created");

    componentInitialised = true;

    TUID controllerClass {};

    if (component->getControllerClassId (controllerClass) != kResultTrue)
        throw std::runtime_error ("the component names no controller");

    controller = module.create<Vst::IEditController> (controllerClass);

    if (controller == nullptr || controller->initialize (&hostApplication) != kResultOk)
        throw std::runtime_error ("the controller cannot be created");

    controllerInitialised = true;
    processor = U::cast<Vst::IAudioProcessor> (component);
    componentConnection = U::cast<Vst::IConnectionPoint> (component);
    controllerConnection = U::cast<Vst::IConnectionPoint> (controller);

    if (processor == nullptr || componentConnection == nullptr || controllerConnection == nullptr)
        throw std::runtime_error ("the component lacks a processor or a connection point");

    componentConnection->connect (controllerConnection);
    controllerConnection->connect (componentConnection);
}

Vst3Plugin::~Vst3Plugin()
{
    release();

    if (componentConnection != nullptr && controllerConnection != nullptr)
    {
        componentConnection->disconnect (controllerConnection);
        controllerConnection->disconnect (componentConnection);
    }

    componentConnection = nullptr;
    controllerConnection = nullptr;
    processor = nullptr;

    if (controllerInitialised)
        controller->terminate();

    if (componentInitialised)
        component->terminate();

    controller = nullptr;
    component = nullptr;
}

bool Vst3Plugin::prepare (double sampleRate, int maxBlockSize)
{
    release();

    Vst::ProcessSetup setup { Vst::kRealtime, Vst::kSample32, maxBlockSize, sampleRate };

    if (processor->setupProcessing (setup) != kResultTrue)
        return false;

    // JUCE's component starts with its audio buses inactive and writes nothing to inactive outputs.
    for (const auto direction : { Vst::kInput, Vst::kOutput })
        if (component->activateBus (Vst::kAudio, direction, 0, true) != kResultTrue)
            return false;

    if (component->setActive (true) != kResultOk)
        return false;

    active = true;
    processing = processor->setProcessing (true) == kResultOk;
    return processing;
}

void Vst3Plugin::release()
{
    if (processing)
        processor->setProcessing (false);

    if (active)
        component->setActive (false);

    processing = active = false;
}

tresult Vst3Plugin::setChannelCount (int numChannels)
{
    release();
    arrangement = numChannels == 1 ? Vst::SpeakerArr::kMono : Vst::SpeakerArr::kStereo;
    auto in = arrangement, out = arrangement;
    return processor->setBusArrangements (&in, 1, &out, 1);
}

tresult Vst3Plugin::process (const std::vector<std::vector<float>>& input,
                             std::vector<std::vector<float>>& output,
                             Vst::IParameterChanges* parameterChanges)
{
    const auto numSamples = input.empty() ? size_t { 0 } : input.front().size();
    output.assign (input.size(), std::vector<float> (numSamples));

    std::vector<float*> inputPointers, outputPointers;

    for (size_t channel = 0; channel < input.size(); ++channel)
    {
        inputPointers.push_back (const_cast<float*> (input[channel].data()));
        outputPointers.push_back (output[channel].data());
    }

    Vst::AudioBusBuffers inputBus {}, outputBus {};
    inputBus.numChannels = (int32) input.size();
    inputBus.channelBuffers32 = inputPointers.data();
    outputBus.numChannels = (int32) output.size();
    outputBus.channelBuffers32 = outputPointers.data();

    Vst::ProcessData data;
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = (int32) numSamples;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inputBus;
    data.outputs = &outputBus;
    data.inputParameterChanges = parameterChanges;

    return processor->process (data);
}

std::vector<char> Vst3Plugin::getState() const
{
    auto stream = owned (new MemoryStream);

    if (component->getState (stream) != kResultTrue)
        return {};

    return stream->getData();
}

tresult Vst3Plugin::setState (std::vector<char> data) const
{
    auto stream = owned (new MemoryStream (std::move (data)));
    return component->setState (stream);
}

tresult Vst3Plugin::processWithBypass (bool bypassed,
                                       const std::vector<std::vector<float>>& input,
                                       std::vector<std::vector<float>>& output)
{
    const auto bypassId = findBypassParameter();

    if (bypassId < 0)
        return kResultFalse;

    ParameterChanges changes;
    changes.set ((Vst::ParamID) bypassId, bypassed ? 1.0 : 0.0);
    return process (input, output, &changes);
}

int64 Vst3Plugin::findBypassParameter() const
{
    for (int32 i = 0; i < controller->getParameterCount(); ++i)
    {
        Vst::ParameterInfo info {};

        if (controller->getParameterInfo (i, info) == kResultTrue && (info.flags & Vst::ParameterInfo::kIsBypass) != 0)
            return info.id;
    }

    return -1;
}

} // namespace quillorn::host
