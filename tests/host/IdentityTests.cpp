#include "Vst3Host.h"

#include <gtest/gtest.h>

#include <pluginterfaces/base/iplugincompatibility.h>
#include <pluginterfaces/base/ustring.h>
#include <pluginterfaces/vst/vsttypes.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace Steinberg;
using quillorn::host::MemoryStream;
using quillorn::host::Vst3Module;
using quillorn::host::Vst3Plugin;

namespace
{

struct ExpectedClass
{
    const char* category;
    const char* subCategories;
    uint32 secondWord;
};

constexpr std::array<ExpectedClass, 3> expectedClasses { {
    { "Audio Module Class",         "Fx", 0x9182FAEB },
    { "Component Controller Class", "Fx", 0x1234ABCD },
    { "Plugin Compatibility Class", "",   0xC0DEF00D },
} };

constexpr uint32 manufacturerCode = 0x4D616E75;   // "Manu"
constexpr uint32 pluginCode = 0x516C726E;         // "Qlrn"

/* The class ID as the Linux build lays it out. The SDK's INLINE_UID writes each of the four words
   most significant byte first when COM_COMPATIBLE is 0 (every platform but Windows), and JUCE's
   convertJucePluginId does the same off Windows. Only on Windows are words 1 and 2 swapped into
   the COM GUID order (01 EF CD AB 82 91 EB FA ...); the codes stay in reading order on both. */
std::array<char, 16> expectedClassId (uint32 secondWord)
{
    static_assert (COM_COMPATIBLE == 0);
    const TUID uid = INLINE_UID (0xABCDEF01, secondWord, manufacturerCode, pluginCode);
    std::array<char, 16> bytes {};
    std::copy (std::begin (uid), std::end (uid), bytes.begin());
    return bytes;
}

std::string toAscii (const char16* text)
{
    char buffer[256] {};
    UString (const_cast<char16*> (text), 128).toAscii (buffer, (int32) sizeof (buffer));
    return buffer;
}

std::string toHex (const char* bytes, size_t size)
{
    std::string hex;

    for (size_t i = 0; i < size; ++i)
    {
        char digits[3];
        std::snprintf (digits, sizeof (digits), "%02X", (unsigned char) bytes[i]);
        hex += digits;
    }

    return hex;
}

std::string readFile (const std::string& path)
{
    std::ifstream file (path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string jsonString (const std::string& object, const std::string& key)
{
    std::smatch match;
    return std::regex_search (object, match, std::regex ("\"" + key + "\"\\s*:\\s*\"([^\"]*)\""))
               ? match[1].str() : std::string ("<missing " + key + ">");
}

/** The sub-categories joined with '|', as PClassInfo2 carries them. */
std::string jsonSubCategories (const std::string& object)
{
    std::smatch match;

    if (! std::regex_search (object, match, std::regex ("\"Sub Categories\"\\s*:\\s*\\[([^\\]]*)\\]")))
        return {};

    std::string joined;
    const auto list = match[1].str();
    const std::regex quoted ("\"([^\"]*)\"");

    for (std::sregex_iterator it (list.begin(), list.end(), quoted), end; it != end; ++it)
        joined += (joined.empty() ? "" : "|") + (*it)[1].str();

    return joined;
}

class IdentityTest : public ::testing::Test
{
protected:
    Vst3Module module;
};

} // namespace

TEST_F (IdentityTest, FactoryInfoNamesTheVendor)
{
    PFactoryInfo info {};
    ASSERT_EQ (module.getFactory().getFactoryInfo (&info), kResultOk);

    EXPECT_STREQ (info.vendor, "Helvorant");
    EXPECT_STREQ (info.url, "https://www.helvorant.com");
    EXPECT_LT (std::strlen (info.url), sizeof (info.url));
    EXPECT_STREQ (info.email, "");
    EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);
    EXPECT_EQ (info.flags, 16);
}

TEST_F (IdentityTest, EveryClassReportsTheSdkThatJuceBundles)
{
    // JUCE 8.0.6 builds the module against the VST3 SDK 3.7.12 that it ships.
    auto& factory = module.getFactory();
    auto factory2 = U::cast<IPluginFactory2> (&factory);
    ASSERT_NE (factory2, nullptr);
    ASSERT_EQ (factory.countClasses(), (int32) expectedClasses.size());

    for (int32 index = 0; index < factory.countClasses(); ++index)
    {
        PClassInfo2 info {};
        ASSERT_EQ (factory2->getClassInfo2 (index, &info), kResultOk);
        EXPECT_STREQ (info.sdkVersion, "VST 3.7.12") << "class " << index;
    }
}

TEST_F (IdentityTest, ClassesDescribeThemselvesAlikeThroughEveryFactoryVersion)
{
    auto& factory = module.getFactory();
    auto factory2 = U::cast<IPluginFactory2> (&factory);
    auto factory3 = U::cast<IPluginFactory3> (&factory);
    ASSERT_NE (factory2, nullptr);
    ASSERT_NE (factory3, nullptr);
    ASSERT_EQ (factory.countClasses(), (int32) expectedClasses.size());

    for (int32 index = 0; index < (int32) expectedClasses.size(); ++index)
    {
        SCOPED_TRACE ("class " + std::to_string (index));
        const auto& expected = expectedClasses[(size_t) index];
        const auto cid = expectedClassId (expected.secondWord);

        PClassInfo info {};
        ASSERT_EQ (factory.getClassInfo (index, &info), kResultOk);
        EXPECT_STREQ (info.category, expected.category);
        EXPECT_STREQ (info.name, "Quillorn");
        EXPECT_EQ (info.cardinality, 0x7FFFFFFF);
        EXPECT_EQ (std::memcmp (info.cid, cid.data(), cid.size()), 0) << toHex (info.cid, sizeof (TUID));

        PClassInfo2 info2 {};
        ASSERT_EQ (factory2->getClassInfo2 (index, &info2), kResultOk);
        EXPECT_STREQ (info2.category, expected.category);
        EXPECT_STREQ (info2.subCategories, expected.subCategories);
        EXPECT_STREQ (info2.name, "Quillorn");
        EXPECT_STREQ (info2.vendor, "Helvorant");
        EXPECT_STREQ (info2.version, "1.0.0");
        EXPECT_STREQ (info2.sdkVersion, kVstVersionString);
        EXPECT_EQ (info2.cardinality, 0x7FFFFFFF);
        EXPECT_EQ (info2.classFlags, 0u);
        EXPECT_EQ (std::memcmp (info2.cid, cid.data(), cid.size()), 0);

        PClassInfoW infoW {};
        ASSERT_EQ (factory3->getClassInfoUnicode (index, &infoW), kResultOk);
        EXPECT_STREQ (infoW.category, expected.category);
        EXPECT_STREQ (infoW.subCategories, expected.subCategories);
        EXPECT_EQ (toAscii (infoW.name), "Quillorn");
        EXPECT_EQ (toAscii (infoW.vendor), "Helvorant");
        EXPECT_EQ (toAscii (infoW.version), "1.0.0");
        EXPECT_EQ (toAscii (infoW.sdkVersion), kVstVersionString);
        EXPECT_EQ (infoW.cardinality, 0x7FFFFFFF);
        EXPECT_EQ (infoW.classFlags, 0u);
        EXPECT_EQ (std::memcmp (infoW.cid, cid.data(), cid.size()), 0);
    }
}

TEST_F (IdentityTest, ClassIndexesOutsideTheTableAreRefused)
{
    auto& factory = module.getFactory();
    auto factory3 = U::cast<IPluginFactory3> (&factory);
    ASSERT_NE (factory3, nullptr);

    for (const auto index : { -1, (int32) expectedClasses.size(), 1000 })
    {
        PClassInfo info {};
        PClassInfo2 info2 {};
        PClassInfoW infoW {};
        EXPECT_EQ (factory.getClassInfo (index, &info), kInvalidArgument) << index;
        EXPECT_EQ (factory3->getClassInfo2 (index, &info2), kInvalidArgument) << index;
        EXPECT_EQ (factory3->getClassInfoUnicode (index, &infoW), kInvalidArgument) << index;
    }
}

TEST_F (IdentityTest, ClassIdsHoldTheWordsInReadingOrderOnLinux)
{
    const auto audio = module.getClassId (0);
    ASSERT_EQ (audio.size(), 16u);
    EXPECT_EQ (toHex (audio.data(), audio.size()), "ABCDEF019182FAEB4D616E75516C726E");
    EXPECT_EQ (std::string (audio.data() + 8, 8), "ManuQlrn");
}

TEST_F (IdentityTest, EveryClassCanBeCreated)
{
    for (int index = 0; index < (int) expectedClasses.size(); ++index)
    {
        const auto cid = module.getClassId (index);
        EXPECT_NE (module.create<FUnknown> (cid.data()), nullptr) << "class " << index;
    }
}

TEST_F (IdentityTest, CompatibilityListIsAnEmptyJsonArray)
{
    const auto cid = module.getClassId (2);
    auto compatibility = module.create<IPluginCompatibility> (cid.data());
    ASSERT_NE (compatibility, nullptr);

    auto stream = owned (new MemoryStream);
    ASSERT_EQ (compatibility->getCompatibilityJSON (stream), kResultOk);
    EXPECT_EQ (std::string (stream->getData().begin(), stream->getData().end()), "[]");
}

TEST_F (IdentityTest, ComponentNamesTheControllerAndHasNoEventBuses)
{
    Vst3Plugin plugin (module);
    auto& component = plugin.getComponent();

    TUID controllerId {};
    ASSERT_EQ (component.getControllerClassId (controllerId), kResultTrue);
    const auto expected = expectedClassId (expectedClasses[1].secondWord);
    EXPECT_EQ (std::memcmp (controllerId, expected.data(), expected.size()), 0);

    for (const auto direction : { Vst::kInput, Vst::kOutput })
    {
        EXPECT_EQ (component.getBusCount (Vst::kEvent, direction), 0);
        EXPECT_EQ (component.getBusCount (Vst::kAudio, direction), 1);

        Vst::BusInfo info {};
        EXPECT_EQ (component.getBusInfo (Vst::kEvent, direction, 0, info), kResultFalse);
    }
}

TEST_F (IdentityTest, ModuleInfoAgreesWithTheFactory)
{
    const auto json = readFile (std::string (QUILLORN_VST3_RESOURCES) + "/moduleinfo.json");
    ASSERT_FALSE (json.empty());

    PFactoryInfo factoryInfo {};
    ASSERT_EQ (module.getFactory().getFactoryInfo (&factoryInfo), kResultOk);
    EXPECT_EQ (jsonString (json, "Name"), "Quillorn");
    EXPECT_EQ (jsonString (json, "Version"), "1.0.0");
    EXPECT_EQ (jsonString (json, "Vendor"), factoryInfo.vendor);
    EXPECT_EQ (jsonString (json, "URL"), factoryInfo.url);
    EXPECT_EQ (jsonString (json, "E-Mail"), factoryInfo.email);

    // Each class object runs from its "CID" to the next one.
    std::vector<std::string> classes;

    for (auto position = json.find ("\"CID\""); position != std::string::npos;)
    {
        const auto next = json.find ("\"CID\"", position + 1);
        classes.push_back (json.substr (position, next - position));
        position = next;
    }

    auto factory2 = U::cast<IPluginFactory2> (&module.getFactory());
    ASSERT_EQ ((int32) classes.size(), module.getFactory().countClasses());

    for (int32 index = 0; index < (int32) classes.size(); ++index)
    {
        SCOPED_TRACE ("class " + std::to_string (index));
        PClassInfo2 info {};
        ASSERT_EQ (factory2->getClassInfo2 (index, &info), kResultOk);

        const auto& entry = classes[(size_t) index];
        EXPECT_EQ (jsonString (entry, "CID"), toHex (info.cid, sizeof (TUID)));
        EXPECT_EQ (jsonString (entry, "Category"), info.category);
        EXPECT_EQ (jsonString (entry, "Name"), info.name);
        EXPECT_EQ (jsonString (entry, "Vendor"), info.vendor);
        EXPECT_EQ (jsonString (entry, "Version"), info.version);
        EXPECT_EQ (jsonString (entry, "SDKVersion"), info.sdkVersion);
        EXPECT_EQ (jsonSubCategories (entry), info.subCategories);
    }
}

TEST (ModuleTest, ExportsExactlyTheThreeEntryPoints)
{
    const auto command = std::string ("nm -D --defined-only '") + QUILLORN_VST3_BINARY + "'";
    std::unique_ptr<FILE, decltype (&pclose)> pipe (popen (command.c_str(), "r"), &pclose);
    ASSERT_NE (pipe, nullptr);

    std::set<std::string> exported;
    char line[1024];

    while (std::fgets (line, sizeof (line), pipe.get()) != nullptr)
    {
        char type = 0;
        char name[900] {};

        // "<address> <type> <name>"; symbols that only mark versions or sections have type A.
        if (std::sscanf (line, "%*s %c %899s", &type, name) == 2 && type != 'A')
            exported.insert (name);
    }

    EXPECT_EQ (exported, (std::set<std::string> { "GetPluginFactory", "ModuleEntry", "ModuleExit" }));
}

TEST (ModuleTest, LoadsAndUnloadsRepeatedly)
{
    // Vst3Module opens with RTLD_NOW, so a symbol left undefined for the loader fails here.
    for (int i = 0; i < 3; ++i)
    {
        Vst3Module module;
        Vst3Plugin plugin (module);
        EXPECT_TRUE (plugin.prepare (48000.0, 512));
    }
}
