// The manifest format, the records it makes, the failure texts, counts and lookups; nothing is
// loaded here (the manager has no application).
#include "resources/ResourceManager.h"

#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace ravix;

namespace {

class ResourceManagerParseTest : public ::testing::Test {
protected:
    // Writes the markup into the temporary folder and parses it.
    bool Parse(const std::string& markup, const std::string& name = "resources.xml") {
        mPath = mFolder / name;
        paktest::WriteFile(mPath, markup);
        return mManager.ParseManifest(mPath);
    }
    // Parses records declared in one group "g".
    bool ParseGroup(const std::string& records) {
        bool parsed = Parse("<ResourceManifest><Resources id=\"g\">" + records +
                            "</Resources></ResourceManifest>");
        EXPECT_EQ(mManager.ErrorText(), "");
        return parsed;
    }
    // The failure text with the suffixes of the manifest just parsed.
    std::string At(const std::string& text, int line) const {
        return text + " on Line " + std::to_string(line) + " in File '" + mPath + "'";
    }

    paktest::TempFolder mFolder;
    std::string mPath;
    ResourceManager mManager{nullptr};
};

TEST_F(ResourceManagerParseTest, DefaultsGiveThePathAndTheIdPrefix) {
    ASSERT_TRUE(Parse(R"(<?xml version="1.0"?>
<!-- the game's pictures -->
<ResourceManifest>
  <Resources id="Init">
    <SetDefaults path="images/" idprefix="IMAGE_"/>
    <Image path="card.png"/>
    <Image id="Back" path="sub\back.tga"/>
    <Image id="" path="a.b/noext"/>
  </Resources>
  <Resources id="Game">
    <Image path="x.y/tiles.big.png"/>
    <SetDefaults path="sounds\" idprefix="SOUND_\"/>
    <Sound path="click"/>
    <SetDefaults path="" idprefix=""/>
    <Sound path="plain.ogg"/>
    <Font path="!sys:Sans" size="9"/>
  </Resources>
</ResourceManifest>
)"));
    struct Expected {
        const BaseRes* res;
        const char* id;
        const char* path;
        const char* group;
    };
    const Expected cases[] = {
        {mManager.FindImageRes("IMAGE_card"), "IMAGE_card", "images/card.png", "Init"},
        {mManager.FindImageRes("IMAGE_Back"), "IMAGE_Back", "images/sub\\back.tga", "Init"},
        {mManager.FindImageRes("IMAGE_"), "IMAGE_", "images/a.b/noext", "Init"},
        {mManager.FindImageRes("IMAGE_tiles.big"), "IMAGE_tiles.big", "images/x.y/tiles.big.png",
         "Game"},
        {mManager.FindSoundRes("SOUND_click"), "SOUND_click", "sounds/click", "Game"},
        // An empty default path goes back to the working folder.
        {mManager.FindSoundRes("plain"), "plain", "plain.ogg", "Game"},
        // A "!" path is kept as written; a system font's path becomes its face name.
        {mManager.FindFontRes("!sys:Sans"), "!sys:Sans", "Sans", "Game"},
    };
    for (const Expected& c : cases) {
        ASSERT_NE(c.res, nullptr) << c.id;
        EXPECT_EQ(c.res->mId, c.id);
        EXPECT_EQ(c.res->mPath, c.path) << c.id;
        EXPECT_EQ(c.res->mGroup, c.group) << c.id;
    }
    EXPECT_EQ(mManager.FindImageRes("IMAGE_Back")->mAttributes,
              (std::map<std::string, std::string>{{"id", "Back"}, {"path", "sub\\back.tga"}}));
    EXPECT_EQ(mManager.GroupIds(), (std::vector<std::string>{"Game", "Init"}));

    // The defaults carry over into the next manifest.
    ASSERT_TRUE(Parse("<ResourceManifest><Resources id=\"More\"><SetDefaults path=\"gfx\" "
                      "idprefix=\"P_\"/></Resources><Resources id=\"Last\"><Image path=\"b\"/>"
                      "</Resources></ResourceManifest>",
                      "more.xml"));
    ASSERT_NE(mManager.FindImageRes("P_b"), nullptr);
    EXPECT_EQ(mManager.FindImageRes("P_b")->mPath, "gfx/b");
}

TEST_F(ResourceManagerParseTest, FailureTexts) {
    const struct {
        const char* markup;
        const char* text;
        int line; // 0: no line suffix
    } cases[] = {
        {"", "Expecting ResourceManifest tag", 1},
        {"<?xml version=\"1.0\"?>\n<Manifest/>", "Expecting ResourceManifest tag", 2},
        // The reader's failure is recorded first and wins.
        {"<ResourceManifest>\n<Resources id=\"g\">\n</ResourceManifest>",
         "End 'ResourceManifest' Doesn't Match Start 'Resources'", 3},
        {"\x01", "Illegal Character", 1},
        {"<ResourceManifest>\n<Images/>", "Invalid Section 'Images'", 2},
        {"<ResourceManifest></ResourceManifest><ResourceManifest>",
         "Invalid Section 'ResourceManifest'", 1},
        {"<ResourceManifest>\n  loose words\n</ResourceManifest>",
         "Element Not Expected 'loose words'", 3},
        {"<ResourceManifest><Resources>", "No id specified.", 1},
        {"<ResourceManifest><Resources id=\"\">", "No id specified.", 1},
        {"<ResourceManifest><Resources id=\"g\"><Resources id=\"h\">",
         "Invalid Section 'Resources'", 1},
        {"<ResourceManifest><Resources id=\"g\">\nwords</Resources>",
         "Element Not Expected 'words'", 2},
        {"<ResourceManifest><Resources id=\"g\">\n<Image path=\"a\"><Cell/></Image>",
         "Unexpected element found.", 2},
        {"<ResourceManifest><Resources id=\"g\"><Image path=\"a\">\ntext</Image>",
         "Unexpected element found.", 2},
        {"<ResourceManifest><Resources id=\"g\"><SetDefaults path=\"a\">",
         "Unexpected element found.", 1},
        {"<ResourceManifest><Resources id=\"g\"><Sound/>", "No path specified.", 1},
        {"<ResourceManifest><Resources id=\"g\"><Font path=\"\"/>", "No path specified.", 1},
        {"<ResourceManifest><Resources id=\"g\">\n<Image path=\"a.png\"/>\n<Image "
         "path=\"b/a.gif\"/>",
         "Resource already defined.", 3},
        {"<ResourceManifest><Resources id=\"g\"><Image path=\"a\" anim=\"bounce\"/>",
         "Invalid animation type.", 1},
        {"<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:Sans\"/>",
         "SysFont needs point size", 1},
        {"<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:Sans\" size=\"0\"/>",
         "SysFont needs point size", 1},
        {"<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:Sans\" size=\"big\"/>",
         "SysFont needs point size", 1},
    };
    for (const auto& c : cases) {
        ResourceManager manager(nullptr);
        mPath = mFolder / "case.xml";
        paktest::WriteFile(mPath, c.markup);
        EXPECT_FALSE(manager.ParseManifest(mPath)) << c.markup;
        EXPECT_TRUE(manager.HasFailed());
        EXPECT_EQ(manager.ErrorText(), At(c.text, c.line)) << c.markup;
    }

    // A file that cannot be opened has no line, but the reader has its name.
    const std::string missing = mFolder / "missing.xml";
    EXPECT_FALSE(mManager.ParseManifest(missing));
    EXPECT_EQ(mManager.ErrorText(),
              "Resource file not found: " + missing + " in File '" + missing + "'");
}

TEST_F(ResourceManagerParseTest, TheFirstFailureStaysUntilALoadClearsIt) {
    EXPECT_FALSE(Parse("<ResourceManifest><Resources id=\"g\"><Image path=\"a\" anim=\"x\"/>"));
    const std::string first = mManager.ErrorText();
    // A good manifest still reports the failure recorded before it.
    EXPECT_FALSE(Parse("<ResourceManifest/>", "good.xml"));
    EXPECT_EQ(mManager.ErrorText(), first);
    mManager.BeginGroupLoad("g");
    EXPECT_FALSE(mManager.HasFailed());
    EXPECT_EQ(mManager.ErrorText(), "");
}

TEST_F(ResourceManagerParseTest, IdsAreUniquePerTypeAndRedefinitionUpdatesTheFirstRecord) {
    EXPECT_TRUE(ParseGroup("<Image id=\"A\" path=\"a.png\"/><Sound id=\"A\" path=\"a\"/>"
                           "<Font id=\"A\" path=\"a.txt\"/>"));
    EXPECT_EQ(mManager.CountGroupResources("g"), 3);
    EXPECT_FALSE(mManager.LastWasRedefinition());

    mManager.SetAllowRedefinition(true);
    EXPECT_TRUE(Parse("<ResourceManifest><Resources id=\"h\"><Image id=\"A\" path=\"new.png\" "
                      "rows=\"2\"/></Resources></ResourceManifest>",
                      "again.xml"));
    EXPECT_TRUE(mManager.LastWasRedefinition());
    const ImageRes* res = mManager.FindImageRes("A");
    EXPECT_EQ(res->mPath, "new.png");
    EXPECT_EQ(res->mGroup, "g");
    EXPECT_EQ(res->mRows, 2);
    EXPECT_EQ(res->mAttributes.at("path"), "new.png");
    // The record stays in the group it was declared in, once.
    EXPECT_EQ(mManager.CountGroupImages("g"), 1);
    EXPECT_EQ(mManager.CountGroupImages("h"), 0);
}

TEST_F(ResourceManagerParseTest, ImageAttributes) {
    ASSERT_TRUE(ParseGroup(R"(<SetDefaults path="gfx/"/>
        <Image id="plain" path="p"/>
        <Image id="flags" path="f" nopal a4r4g4b4 a8r8g8b8 ddsurface minsubdivide noalpha
               alphaimage="f_a.png" alphagrid="grid" variant="red" alphacolor="ff00ff"/>
        <Image id="nobits" path="n" nobits />
        <Image id="nobits2d" path="n" nobits2d />
        <Image id="nobits3d" path="n" nobits3d />
        <Image id="hexprefix" path="h" alphacolor=" 0x1A"/>
        <Image id="nothex" path="h" alphacolor="zz"/>
        <Image id="cells" path="c" rows="3" cols="5"/>
        <Image id="nocells" path="c" rows="0" cols="-4"/>
        <Image id="hugecells" path="c" rows="99999999999"/>)"));
    const ImageRes& plain = *mManager.FindImageRes("plain");
    EXPECT_TRUE(plain.mPalletize);
    EXPECT_TRUE(plain.mAutoFindAlpha);
    EXPECT_FALSE(plain.mDDSurface || plain.mPurgeBits || plain.mA4R4G4B4 || plain.mA8R8G8B8 ||
                 plain.mMinimizeSubdivisions);
    EXPECT_EQ(plain.mAlphaImage, "");
    EXPECT_EQ(plain.mAlphaColor, 0xFFFFFFu);
    EXPECT_EQ(plain.mRows, 1);
    EXPECT_EQ(plain.mCols, 1);
    EXPECT_EQ(plain.mAnimation.mPlayMode, AnimationTiming::kNone);

    const ImageRes& flags = *mManager.FindImageRes("flags");
    EXPECT_FALSE(flags.mPalletize);
    EXPECT_FALSE(flags.mAutoFindAlpha);
    EXPECT_TRUE(flags.mA4R4G4B4 && flags.mA8R8G8B8 && flags.mDDSurface &&
                flags.mMinimizeSubdivisions);
    EXPECT_FALSE(flags.mPurgeBits);
    EXPECT_EQ(flags.mAlphaImage, "gfx/f_a.png");
    EXPECT_EQ(flags.mAlphaGrid, "gfx/grid");
    EXPECT_EQ(flags.mVariant, "red");
    EXPECT_EQ(flags.mAlphaColor, 0xFF00FFu);

    // The display has no 3D mode: "nobits2d" applies, "nobits3d" does not.
    EXPECT_TRUE(mManager.FindImageRes("nobits")->mPurgeBits);
    EXPECT_TRUE(mManager.FindImageRes("nobits2d")->mPurgeBits);
    EXPECT_FALSE(mManager.FindImageRes("nobits3d")->mPurgeBits);
    EXPECT_EQ(mManager.FindImageRes("hexprefix")->mAlphaColor, 0x1Au);
    EXPECT_EQ(mManager.FindImageRes("nothex")->mAlphaColor, 0xFFFFFFu);
    EXPECT_EQ(mManager.FindImageRes("cells")->mRows, 3);
    EXPECT_EQ(mManager.FindImageRes("cells")->mCols, 5);
    // Cell counts that would divide by zero, or make no sense, are kept in range.
    EXPECT_EQ(mManager.FindImageRes("nocells")->mRows, 1);
    EXPECT_EQ(mManager.FindImageRes("nocells")->mCols, 1);
    EXPECT_EQ(mManager.FindImageRes("hugecells")->mRows, 65535);
}

TEST_F(ResourceManagerParseTest, AnimationTiming) {
    ASSERT_TRUE(ParseGroup(R"(
        <Image id="pingpong" path="a" cols="4" anim="PingPong" framedelay="3"/>
        <Image id="loop" path="a" rows="3" anim="LOOP" begindelay="10" enddelay="20"/>
        <Image id="delays" path="a" cols="3" anim="once" perframedelay="5,,7" framemap="2, 0"/>
        <Image id="empty" path="a" anim="once" perframedelay="" framemap=""/>
        <Image id="none" path="a" cols="4" anim="none" framedelay="9"/>
        <Image id="long" path="a" cols="2" anim="loop" perframedelay="2000000000,2000000000"/>)"));
    const AnimationTiming& pingpong = mManager.FindImageRes("pingpong")->mAnimation;
    EXPECT_EQ(pingpong.mPlayMode, AnimationTiming::kPingPong);
    EXPECT_EQ(pingpong.mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(pingpong.mFrameCount, 6);
    EXPECT_EQ(pingpong.mCycleLength, 18);

    const AnimationTiming& loop = mManager.FindImageRes("loop")->mAnimation;
    EXPECT_EQ(loop.mPlayMode, AnimationTiming::kLoop);
    EXPECT_EQ(loop.mPerFrameDelay, (std::vector<int>{10, 1, 20}));
    EXPECT_EQ(loop.mCycleLength, 31);

    const AnimationTiming& delays = mManager.FindImageRes("delays")->mAnimation;
    EXPECT_EQ(delays.mPlayMode, AnimationTiming::kOnce);
    EXPECT_EQ(delays.mFrameMap, (std::vector<int>{2, 0}));
    EXPECT_EQ(delays.mPerFrameDelay, (std::vector<int>{5, 1}));

    const AnimationTiming& empty = mManager.FindImageRes("empty")->mAnimation;
    EXPECT_EQ(empty.mFrameMap, (std::vector<int>{0}));

    const AnimationTiming& none = mManager.FindImageRes("none")->mAnimation;
    EXPECT_EQ(none.mPlayMode, AnimationTiming::kNone);
    EXPECT_EQ(none.mFrameDelay, 1); // not read without an animation

    // A cycle longer than the int range is capped, not wrapped.
    EXPECT_EQ(mManager.FindImageRes("long")->mAnimation.mCycleLength, INT_MAX);
}

TEST_F(ResourceManagerParseTest, SoundAndFontAttributes) {
    ASSERT_TRUE(ParseGroup(R"(
        <Sound id="plain" path="s"/>
        <Sound id="set" path="s" volume="0.25" pan="-300"/>
        <Sound id="bad" path="s" volume="loud" pan="x"/>
        <Sound id="inf" path="s" volume="inf"/>
        <Font id="sys" path="!sys:DejaVu Sans" size="12x" bold italic shadow underline />
        <Font id="strip" path="widths.txt" image="fonts/strip.png" tags="Bold, big"/>
        <Font id="ref" path="!ref:strip"/>)"
                           "<Font id=\"tags\" path=\"f.txt\" tags=\"" +
                           std::string(1100, 'T') + "\"/>"));
    const SoundRes& plain = *mManager.FindSoundRes("plain");
    EXPECT_EQ(plain.mVolume, -1.0);
    EXPECT_EQ(plain.mPan, 0);
    EXPECT_EQ(plain.mSoundId, -1);
    EXPECT_EQ(mManager.FindSoundRes("set")->mVolume, 0.25);
    EXPECT_EQ(mManager.FindSoundRes("set")->mPan, -300);
    EXPECT_EQ(mManager.FindSoundRes("bad")->mVolume, -1.0);
    EXPECT_EQ(mManager.FindSoundRes("bad")->mPan, 0);
    EXPECT_EQ(mManager.FindSoundRes("inf")->mVolume, -1.0);

    const FontRes& sys = *mManager.FindFontRes("sys");
    EXPECT_TRUE(sys.mSysFont);
    EXPECT_EQ(sys.mPath, "DejaVu Sans");
    EXPECT_EQ(sys.mSize, 12);
    EXPECT_TRUE(sys.mBold && sys.mItalic && sys.mShadow && sys.mUnderline);
    const FontRes& strip = *mManager.FindFontRes("strip");
    EXPECT_FALSE(strip.mSysFont);
    EXPECT_EQ(strip.mImagePath, "fonts/strip.png");
    EXPECT_EQ(strip.mTags, "Bold, big");
    EXPECT_EQ(mManager.FindFontRes("ref")->mPath, "!ref:strip");
    EXPECT_EQ(mManager.FindFontRes("tags")->mTags, std::string(1023, 'T'));
}

TEST_F(ResourceManagerParseTest, AManifestEndingInsideAGroupKeepsItsRecords) {
    EXPECT_TRUE(Parse("<ResourceManifest>\n<Resources id=\"g\">\n<Image path=\"a\"/>\n"
                      "<Sound path=\"b\"/>\n"));
    EXPECT_FALSE(mManager.HasFailed());
    EXPECT_EQ(mManager.CountGroupImages("g"), 1);
    EXPECT_EQ(mManager.CountGroupSounds("g"), 1);
    // Groups may follow the manifest's end tag.
    EXPECT_TRUE(Parse("<ResourceManifest/><Resources id=\"after\"><Font path=\"f\"/></Resources>",
                      "after.xml"));
    EXPECT_EQ(mManager.CountGroupFonts("after"), 1);
}

TEST_F(ResourceManagerParseTest, CountsLeaveOutProgramRecordsExceptForAllGroups) {
    ASSERT_TRUE(Parse(R"(<ResourceManifest>
        <Resources id="a"><Image path="1"/><Image path="2"/><Image id="p" path="!program"/>
            <Sound path="s"/></Resources>
        <Resources id="b"><Image path="3"/><Font path="f"/><Font id="q" path="!program"/>
        </Resources></ResourceManifest>)"));
    const struct {
        const char* group;
        int images, sounds, fonts;
    } cases[] = {{"a", 2, 1, 0}, {"b", 1, 0, 1}, {"", 4, 1, 2}, {"none", 0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(mManager.CountGroupImages(c.group), c.images) << c.group;
        EXPECT_EQ(mManager.CountGroupSounds(c.group), c.sounds) << c.group;
        EXPECT_EQ(mManager.CountGroupFonts(c.group), c.fonts) << c.group;
        EXPECT_EQ(mManager.CountGroupResources(c.group), c.images + c.sounds + c.fonts);
    }
    EXPECT_TRUE(mManager.FindImageRes("p")->mFromProgram);
    EXPECT_FALSE(mManager.FindImageRes("1")->mFromProgram);
}

TEST_F(ResourceManagerParseTest, LookupsOfMissingResourcesThrowTheFirstFailure) {
    ASSERT_TRUE(
        ParseGroup("<Image id=\"pic\" path=\"!program\"/><Sound id=\"snd\" path=\"!program\"/>"
                   "<Font id=\"fnt\" path=\"!program\"/><Image id=\"file\" path=\"a.png\"/>"));
    // Supplied by the program and never supplied: empty when that is allowed.
    mManager.SetAllowMissingProgramResources(true);
    EXPECT_EQ(mManager.LookupImage("pic"), nullptr);
    EXPECT_EQ(mManager.LookupSound("snd"), -1);
    EXPECT_EQ(mManager.LookupFont("fnt"), nullptr);
    EXPECT_FALSE(mManager.HasFailed());

    const struct {
        void (*lookup)(ResourceManager&);
        const char* text;
    } cases[] = {
        {[](ResourceManager& m) { m.LookupFont("FONT_NONE"); },
         "Font resource not found: FONT_NONE"},
        {[](ResourceManager& m) { m.LookupImage("file"); }, "Image resource not found: file"},
        {[](ResourceManager& m) { m.LookupSound("x"); }, "Sound resource not found: x"},
        {[](ResourceManager& m) {
             m.SetAllowMissingProgramResources(false);
             m.LookupImage("pic");
         },
         "Image resource not found: pic"},
    };
    for (const auto& c : cases) {
        mManager.BeginGroupLoad("g"); // clears the failure
        try {
            c.lookup(mManager);
            ADD_FAILURE() << c.text;
        } catch (const ResourceManagerException& e) {
            EXPECT_EQ(e.mText, c.text);
            EXPECT_EQ(mManager.ErrorText(), c.text);
        }
    }
    // Without a clear, a later lookup throws the earlier text.
    try {
        mManager.LookupSound("other");
        ADD_FAILURE();
    } catch (const ResourceManagerException& e) {
        EXPECT_EQ(e.mText, "Image resource not found: pic");
    }
}

TEST_F(ResourceManagerParseTest, GroupsWithNothingToLoad) {
    ASSERT_TRUE(ParseGroup("<Image id=\"p\" path=\"!program\"/>"));
    // A group that does not exist loads and counts as loaded; program records are skipped.
    EXPECT_TRUE(mManager.LoadResourceGroup("absent"));
    EXPECT_TRUE(mManager.IsGroupLoaded("absent"));
    mManager.BeginGroupLoad("g");
    EXPECT_FALSE(mManager.LoadNextResource());
    EXPECT_FALSE(mManager.HasFailed());
    EXPECT_TRUE(mManager.LoadResourceGroup("g"));
    mManager.ReleaseGroup("absent");
    EXPECT_FALSE(mManager.IsGroupLoaded("absent"));
    EXPECT_TRUE(mManager.IsGroupLoaded("g"));
    mManager.ReleaseGroup("");
    EXPECT_FALSE(mManager.IsGroupLoaded("g"));
    // Without a group begun there is nothing to load.
    ResourceManager fresh(nullptr);
    EXPECT_FALSE(fresh.LoadNextResource());
}

} // namespace
