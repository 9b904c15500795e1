// Loading groups of images, sounds and fonts from tiny files, one resource at a time and from a
// loading thread, releasing them, and every load failure.
#include "resources/ResourceManager.h"

#include "app/AppTestSupport.h"
#include "audio/ALDevice.h"
#include "audio/ALSoundManager.h"
#include "files/ImageLib.h"
#include "files/PakTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

using namespace ravix;

namespace {

// Sounds are files NAME.wav on disk; ids are handed out lowest first from mIdCount.
class FakeSoundManager : public SoundManager {
public:
    bool HasDevice() override { return true; }
    int LoadEffect(const std::string&) override { return -1; }
    bool LoadEffectAt(int id, const std::string& name) override {
        if (!std::filesystem::exists(name + ".wav"))
            return false;
        mLoaded[id] = name;
        return true;
    }
    void UnloadEffect(int id) override { mLoaded.erase(id); }
    void SetEffectsVolume(double) override {}
    bool SetEffectGain(int id, double gain) override {
        mGains[id] = gain;
        return true;
    }
    bool SetEffectBalance(int id, int balance) override {
        mBalances[id] = balance;
        return true;
    }
    SoundInstance* CreateChannel(int) override { return nullptr; }
    void UnloadAllEffects() override { mLoaded.clear(); }
    void DeleteAllChannels() override {}
    double GetSystemVolume() override { return 1.0; }
    void SetSystemVolume(double) override {}
    void AttachWindow(void*, bool) override {}
    void StopAllChannels() override {}
    int FindFreeEffectId() override {
        for (int id = 0; id < mIdCount; ++id)
            if (!mLoaded.count(id))
                return id;
        return -1;
    }
    int CountEffects() override { return static_cast<int>(mLoaded.size()); }

    int mIdCount = kMaxEffects;
    std::map<int, std::string> mLoaded;
    std::map<int, double> mGains;
    std::map<int, int> mBalances;
};

using PixelFunction = std::function<uint32_t(int x, int y)>;

// An opaque 8 x 4 picture whose pixels all differ.
uint32_t ColorAt(int x, int y) {
    return 0xFF000040u | uint32_t(x * 16) << 16 | uint32_t(y * 16) << 8;
}

// A glyph strip for the image fonts: 'A' 2 wide, 'B' 3 wide, 'C' 1 wide.
const char* const kFontDescriptor = "Define Glyphs ('A' 'B' 'C');\n"
                                    "CreateHorzSpanRectList Rects (0 0 0 3) (2 3 1);\n"
                                    "SetDefaultPointSize 10;\n"
                                    "CreateLayer Main;\n"
                                    "LayerSetImage Main 'strip.png';\n"
                                    "LayerSetImageMap Main Glyphs Rects;\n"
                                    "LayerSetCharWidths Main Glyphs (3 4 2);\n"
                                    "LayerSetAscent Main 3;\n"
                                    "LayerSetPointSize Main 10;\n";

class ResourceManagerLoadTest : public ::testing::Test {
protected:
    ResourceManagerLoadTest() {
        auto sounds = std::make_unique<FakeSoundManager>();
        mSounds = sounds.get();
        mApp.mSounds = std::move(sounds);
        WritePng("color.png", 8, 4, ColorAt);
        // Alpha files keep their alpha in the blue channel.
        WritePng("alpha.png", 8, 4, [](int x, int y) { return 0xFF000000u | (100 + x + 8 * y); });
        WritePng("grid.png", 2, 2,
                 [](int x, int y) { return 0xFF000000u | (10 * (x + 2 * y) + 1); });
        WritePng("small.png", 4, 4, ColorAt);
        WritePng("fonts/strip.png", 6, 3, [](int x, int) { return x < 2 ? 0xFFFF0000u : ~0u; });
        paktest::WriteFile(mFolder / "fonts/font.txt", kFontDescriptor);
        paktest::WriteFile(mFolder / "fonts/bad.txt", "LayerSetAscent Nothing 3;\n");
        paktest::WriteFile(mFolder / "widths.txt", "3 3\nA 2\nB 3\nC 1\n");
        for (const char* sound : {"a.wav", "b.wav"})
            paktest::WriteFile(mFolder / sound, "RIFF");
    }

    void WritePng(const std::string& name, int width, int height, const PixelFunction& pixel) {
        std::vector<uint32_t> bits;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bits.push_back(pixel(x, y));
        std::filesystem::create_directories((mFolder.Path() / name).parent_path());
        ASSERT_TRUE(ImageLib::WritePNG(mFolder / name, bits.data(), width, height));
    }

    // Parses a manifest of one group "g" holding the records.
    void Declare(const std::string& records, const std::string& group = "g") {
        paktest::WriteFile(mFolder / "resources.xml", "<ResourceManifest><Resources id=\"" + group +
                                                          "\">" + records +
                                                          "</Resources></ResourceManifest>");
        ASSERT_TRUE(Manager().ParseManifest("resources.xml")) << Manager().ErrorText();
    }

    // The failure of loading group "g" with the records, in a fresh manager.
    std::string LoadFailure(const std::string& records) {
        ResourceManager manager(&mApp);
        paktest::WriteFile(mFolder / "case.xml", "<ResourceManifest><Resources id=\"g\">" +
                                                     records +
                                                     "</Resources>"
                                                     "</ResourceManifest>");
        EXPECT_TRUE(manager.ParseManifest("case.xml")) << manager.ErrorText();
        EXPECT_FALSE(manager.LoadResourceGroup("g")) << records;
        EXPECT_FALSE(manager.IsGroupLoaded("g"));
        return manager.ErrorText();
    }

    ResourceManager& Manager() { return *mApp.mResources; }

    static uint32_t Pixel(MemoryImage& image, int x, int y) {
        return image.GetPixels()[y * image.GetWidth() + x];
    }

    paktest::TempFolder mFolder;
    paktest::ScopedWorkingDirectory mWorkingDirectory{mFolder.Path()};
    ravix::testing::HeadlessApp mApp;
    FakeSoundManager* mSounds = nullptr;
};

TEST_F(ResourceManagerLoadTest, AlphaImagesAndAlphaGridsSetTheAlpha) {
    WritePng("_glow.png", 2, 1, [](int x, int) { return 0xFF000000u | (x ? 0x80 : 0x20); });
    Declare(R"(<Image id="ALPHA" path="color.png" alphaimage="alpha.png"/>
               <Image id="GRID" path="color.png" variant="grid" alphagrid="grid.png"
                      rows="2" cols="4"/>
               <Image id="BOTH" path="color.png" variant="both" alphaimage="alpha.png"
                      alphagrid="grid.png" rows="2" cols="4"/>
               <Image id="GLOW" path="glow.png" alphacolor="FF8000"/>)");
    ASSERT_TRUE(Manager().LoadResourceGroup("g")) << Manager().ErrorText();
    EXPECT_TRUE(Manager().IsGroupLoaded("g"));

    auto alpha = Manager().LookupImage("ALPHA");
    auto grid = Manager().LookupImage("GRID");
    auto both = Manager().LookupImage("BOTH");
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint32_t rgb = ColorAt(x, y) & 0xFFFFFF;
            const uint32_t gridAlpha = 10 * (x % 2 + 2 * (y % 2)) + 1;
            EXPECT_EQ(Pixel(*alpha, x, y), uint32_t(100 + x + 8 * y) << 24 | rgb) << x << "," << y;
            // The grid covers all eight cells and is applied after the alpha image.
            EXPECT_EQ(Pixel(*grid, x, y), gridAlpha << 24 | rgb) << x << "," << y;
            EXPECT_EQ(Pixel(*both, x, y), gridAlpha << 24 | rgb) << x << "," << y;
        }
    }
    // An image made from an alpha file alone takes the record's colour; the setting is back to
    // white afterwards.
    auto glow = Manager().LookupImage("GLOW");
    EXPECT_EQ(Pixel(*glow, 0, 0), 0x20FF8000u);
    EXPECT_EQ(Pixel(*glow, 1, 0), 0x80FF8000u);
    EXPECT_EQ(ImageLib::GetAlphaOnlyColor(), 0xFFFFFFu);
}

TEST_F(ResourceManagerLoadTest, ImagesArePreparedAsDeclared) {
    WritePng("soft.png", 2, 2, [](int x, int) { return x ? 0x80FFFFFFu : 0xFF000000u; });
    Declare(R"(<Image id="PLAIN" path="color.png"/>
               <Image id="SAME" path="color.png"/>
               <Image id="CELLS" path="color.png" variant="cells" rows="2" cols="4" anim="loop"
                      framedelay="5" a4r4g4b4 minsubdivide nopal />
               <Image id="NOBITS" path="color.png" variant="nobits" nobits nopal />
               <Image id="SOLID" path="color.png" variant="solid" ddsurface nopal />
               <Image id="SOFT" path="soft.png" ddsurface nopal />)");
    ASSERT_TRUE(Manager().LoadResourceGroup("g")) << Manager().ErrorText();

    auto plain = Manager().LookupImage("PLAIN");
    EXPECT_EQ(plain, Manager().LookupImage("SAME")); // one cache entry per path and variant
    EXPECT_EQ(plain->mFilePath, "color.png");
    EXPECT_TRUE(plain->HasPaletteForm());
    EXPECT_EQ(plain->mCellRows, 1);
    EXPECT_EQ(plain->mAnimation, nullptr);
    EXPECT_EQ(plain->mTextureFlags, 0u);

    auto cells = Manager().LookupImage("CELLS");
    EXPECT_NE(cells, plain);
    EXPECT_FALSE(cells->HasPaletteForm());
    EXPECT_EQ(cells->mCellRows, 2);
    EXPECT_EQ(cells->mCellColumns, 4);
    EXPECT_EQ(cells->GetCellRect(5), Rect(2, 2, 2, 2));
    EXPECT_EQ(cells->mTextureFlags, 4u | 1u);
    ASSERT_NE(cells->mAnimation, nullptr);
    EXPECT_EQ(cells->mAnimation->mPlayMode, AnimationTiming::kLoop);
    EXPECT_EQ(cells->mAnimation->mFrameCount, 4);
    EXPECT_EQ(cells->mAnimation->mCycleLength, 20);

    // Dropped pixels come back unchanged from the display copy.
    auto nobits = Manager().LookupImage("NOBITS");
    EXPECT_TRUE(nobits->mDropPixels);
    EXPECT_EQ(nobits->mBits, nullptr);
    EXPECT_EQ(Pixel(*nobits, 7, 3), ColorAt(7, 3));
    // A display-surface image drops its memory pixels unless it has partial alpha.
    EXPECT_TRUE(Manager().LookupImage("SOLID")->mDropPixels);
    EXPECT_FALSE(Manager().LookupImage("SOFT")->mDropPixels);
    EXPECT_NE(Manager().LookupImage("SOFT")->mBits, nullptr);
}

TEST_F(ResourceManagerLoadTest, ImageFailures) {
    const struct {
        std::string records;
        std::string text;
    } cases[] = {
        {R"(<Image path="missing.png"/>)", "Failed to load image: missing.png"},
        {R"(<Image path="color.png" alphaimage="nothing.png"/>)",
         "Failed to load image: nothing.png"},
        {R"(<Image path="color.png" alphagrid="nothing.png"/>)",
         "Failed to load image: nothing.png"},
        {R"(<Image path="color.png" alphaimage="small.png"/>)",
         "AlphaImage size mismatch between color.png and small.png"},
        {R"(<Image path="color.png" alphagrid="grid.png" cols="2" rows="2"/>)",
         "GridAlphaImage size mismatch between color.png and grid.png"},
        {R"(<Image path="color.png" alphagrid="grid.png" cols="16" rows="2"/>)",
         "GridAlphaImage size mismatch between color.png and grid.png"},
        {R"(<SetDefaults path="sub"/><Image path="color.png"/>)",
         "Failed to load image: sub/color.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadFailure(c.records), c.text) << c.records;
}

TEST_F(ResourceManagerLoadTest, AFailedImageIsDecodedAgainByTheNextLoad) {
    Declare(R"(<Image id="LATE" path="color.png" alphaimage="late.png"/>)");
    EXPECT_FALSE(Manager().LoadResourceGroup("g"));
    EXPECT_EQ(Manager().ErrorText(), "Failed to load image: late.png");
    WritePng("late.png", 8, 4, [](int, int) { return 0xFF000033u; });
    ASSERT_TRUE(Manager().LoadResourceGroup("g")) << Manager().ErrorText();
    EXPECT_EQ(Pixel(*Manager().LookupImage("LATE"), 1, 1) >> 24, 0x33u);
}

TEST_F(ResourceManagerLoadTest, SoundsTakeFreeIdsWithTheirVolumeAndPan) {
    Declare(R"(<Sound id="A" path="a"/>
               <Sound id="B" path="b" volume="0.5" pan="-20"/>
               <Sound id="QUIET" path="b" volume="0"/>)");
    ASSERT_TRUE(Manager().LoadResourceGroup("g")) << Manager().ErrorText();
    EXPECT_EQ(Manager().LookupSound("A"), 0);
    EXPECT_EQ(Manager().LookupSound("B"), 1);
    EXPECT_EQ(Manager().LookupSound("QUIET"), 2);
    EXPECT_EQ(mSounds->mLoaded, (std::map<int, std::string>{{0, "a"}, {1, "b"}, {2, "b"}}));
    EXPECT_EQ(mSounds->mGains, (std::map<int, double>{{1, 0.5}, {2, 0.0}}));
    EXPECT_EQ(mSounds->mBalances, (std::map<int, int>{{1, -20}}));

    Manager().ReleaseGroup("g");
    EXPECT_TRUE(mSounds->mLoaded.empty());
    EXPECT_EQ(Manager().FindSoundRes("A")->mSoundId, -1);

    EXPECT_EQ(LoadFailure(R"(<Sound path="c"/>)"), "Failed to load sound: c");
    mSounds->mIdCount = 1;
    EXPECT_EQ(LoadFailure(R"(<Sound path="a"/><Sound id="2" path="b"/>)"), "Out of free sound ids");
}

TEST_F(ResourceManagerLoadTest, SoundsReachTheRealSoundManager) {
    std::shared_ptr<ALDevice> device = ALDevice::OpenLoopback(44100);
    if (!device)
        GTEST_SKIP() << "no OpenAL loopback device";
    auto sounds = std::make_unique<ALSoundManager>(device, "");
    ALSoundManager& manager = *sounds;
    mApp.mSounds = std::move(sounds);
    paktest::WriteFile(mFolder / "tone.wav", paktest::ReadFile(std::string(TARNWICK_TEST_DIR) +
                                                               "/audio/fixtures/tone.wav"));
    Declare(R"(<Sound id="TONE" path="tone" volume="0.5"/><Sound id="NONE" path="a"/>)");
    EXPECT_FALSE(Manager().LoadResourceGroup("g"));
    EXPECT_EQ(Manager().ErrorText(), "Failed to load sound: a"); // "RIFF" alone does not decode
    const int id = Manager().LookupSound("TONE");
    EXPECT_GT(manager.GetEffectByteLength(id), 0u);
    EXPECT_EQ(manager.CountEffects(), 1);
    Manager().ReleaseGroup("");
    EXPECT_EQ(manager.CountEffects(), 0);
}

TEST_F(ResourceManagerLoadTest, FontsOfEveryKind) {
    Declare(R"(<Font id="DESC" path="fonts/font.txt" tags="bold, Big"/>
               <Font id="WIDTHS" path="widths.txt" image="fonts/strip.png"/>
               <Font id="REF" path="!ref:DESC"/>
               <Font id="SYS" path="!sys:DejaVu Sans" size="12" shadow />)");
    ASSERT_TRUE(Manager().LoadResourceGroup("g")) << Manager().ErrorText();

    auto* desc = dynamic_cast<ImageFont*>(Manager().LookupFont("DESC"));
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->StringWidth("AB"), 7);
    EXPECT_TRUE(desc->HasTag("BOLD"));
    EXPECT_TRUE(desc->HasTag("BIG"));
    // The layer image came through the shared-image cache.
    bool created = true;
    auto strip = mApp.AcquireSharedImage("fonts/strip.png", "", created);
    EXPECT_FALSE(created);
    EXPECT_EQ(desc->GetFontData().mLayers.front().mImage, strip);

    auto* widths = dynamic_cast<ImageFont*>(Manager().LookupFont("WIDTHS"));
    ASSERT_NE(widths, nullptr);
    EXPECT_EQ(widths->StringWidth("AB"), 5);
    EXPECT_NE(Manager().FindFontRes("WIDTHS")->mImage, nullptr);
    EXPECT_NE(Manager().FindFontRes("WIDTHS")->mImage, strip); // loaded on its own

    auto* ref = dynamic_cast<ImageFont*>(Manager().LookupFont("REF"));
    ASSERT_NE(ref, nullptr);
    EXPECT_NE(ref, desc);
    EXPECT_EQ(&ref->GetFontData(), &desc->GetFontData());

    auto* sys = dynamic_cast<SysFont*>(Manager().LookupFont("SYS"));
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->HasShadow());
    EXPECT_EQ(sys->GetPixelHeight(), 16);

    Manager().ReleaseGroup("g");
    EXPECT_EQ(Manager().FindFontRes("WIDTHS")->mImage, nullptr);
    EXPECT_THROW(Manager().LookupFont("DESC"), ResourceManagerException);
}

TEST_F(ResourceManagerLoadTest, FontFailures) {
    const struct {
        std::string records;
        std::string text;
    } cases[] = {
        {R"(<Font path="!ref:NONE"/>)", "Ref font not found: NONE"},
        // Declared, but not loaded yet: it comes later in the group.
        {R"(<Font path="!ref:LATER"/><Font id="LATER" path="fonts/font.txt"/>)",
         "Ref font not found: LATER"},
        {R"(<Font path="fonts/bad.txt"/>)", "Failed to load font: fonts/bad.txt"},
        {R"(<Font path="fonts/missing.txt"/>)", "Failed to load font: fonts/missing.txt"},
        {R"(<Font path="widths.txt" image="fonts/none.png"/>)",
         "Failed to load image: fonts/none.png"},
        {R"(<Font path="nowidths.txt" image="fonts/strip.png"/>)",
         "Failed to load font: nowidths.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadFailure(c.records), c.text) << c.records;
}

TEST_F(ResourceManagerLoadTest, GroupsLoadOneAtATimeAndAgainAfterRelease) {
    Declare(R"(<Image id="I1" path="color.png"/><Image id="P" path="!program"/>
               <Sound id="S" path="a"/><Image id="I2" path="small.png"/>
               <Font id="F" path="fonts/font.txt"/>)");
    const int total = Manager().CountGroupResources("g");
    EXPECT_EQ(total, 4);
    Manager().BeginGroupLoad("g");
    int loads = 0;
    while (Manager().LoadNextResource())
        ++loads;
    EXPECT_EQ(loads, total);
    EXPECT_FALSE(Manager().HasFailed());
    EXPECT_FALSE(Manager().IsGroupLoaded("g")); // only LoadResourceGroup marks a group
    EXPECT_NE(Manager().LookupImage("I2"), nullptr);

    // Nothing is left to load.
    Manager().BeginGroupLoad("g");
    EXPECT_FALSE(Manager().LoadNextResource());
    EXPECT_TRUE(Manager().LoadResourceGroup("g"));

    std::weak_ptr<MemoryImage> first = Manager().LookupImage("I1");
    Manager().ReleaseGroup("g");
    EXPECT_FALSE(Manager().IsGroupLoaded("g"));
    EXPECT_TRUE(first.expired());
    EXPECT_THROW(Manager().LookupImage("I1"), ResourceManagerException);
    EXPECT_EQ(Manager().ErrorText(), "Image resource not found: I1");
    EXPECT_TRUE(mSounds->mLoaded.empty());
    ASSERT_TRUE(Manager().LoadResourceGroup("g"));
    EXPECT_EQ(Pixel(*Manager().LookupImage("I1"), 3, 2), ColorAt(3, 2));
}

TEST_F(ResourceManagerLoadTest, AFailureStopsTheGroup) {
    Declare(R"(<Image id="OK" path="color.png"/><Image id="BAD" path="missing.png"/>
               <Image id="AFTER" path="small.png"/>)");
    Manager().BeginGroupLoad("g");
    EXPECT_TRUE(Manager().LoadNextResource());
    EXPECT_FALSE(Manager().LoadNextResource());
    EXPECT_FALSE(Manager().LoadNextResource()); // the recorded failure stops the walk
    EXPECT_EQ(Manager().FindImageRes("AFTER")->mImage, nullptr);
    EXPECT_EQ(Manager().ErrorText(), "Failed to load image: missing.png");
}

TEST_F(ResourceManagerLoadTest, ALoadingThreadLoadsWhileTheMainThreadDraws) {
    paktest::WriteFile(mFolder / "resources.xml",
                       R"(<ResourceManifest>
             <Resources id="Init"><Image id="LOGO" path="small.png"/></Resources>
             <Resources id="Game">
               <Image id="A" path="color.png" alphaimage="alpha.png"/>
               <Image id="B" path="color.png" variant="b" alphagrid="grid.png" cols="4" rows="2"/>
               <Image id="C" path="color.png" variant="c" nobits anim="pingpong" cols="4" />
               <Sound id="S1" path="a"/><Sound id="S2" path="b"/>
               <Font id="F" path="fonts/font.txt"/><Font id="R" path="!ref:F"/>
               <Font id="W" path="widths.txt" image="fonts/strip.png"/>
             </Resources>
           </ResourceManifest>)");
    ASSERT_TRUE(Manager().ParseManifest("resources.xml"));
    ASSERT_TRUE(Manager().LoadResourceGroup("Init"));
    std::shared_ptr<MemoryImage> logo = Manager().LookupImage("LOGO");

    std::atomic<bool> finished = false;
    int loads = 0;
    std::thread loader([&] {
        Manager().BeginGroupLoad("Game");
        while (Manager().LoadNextResource())
            ++loads;
        finished = true;
    });
    MemoryImage screen;
    screen.Create(16, 16);
    int frames = 0;
    do {
        Graphics g(&screen);
        g.DrawImage(Manager().LookupImage("LOGO").get(), frames % 8, 0);
        ++frames;
    } while (!finished);
    loader.join();

    EXPECT_EQ(loads, Manager().CountGroupResources("Game"));
    EXPECT_FALSE(Manager().HasFailed()) << Manager().ErrorText();
    for (const char* id : {"A", "B", "C"})
        EXPECT_NE(Manager().LookupImage(id), nullptr);
    EXPECT_EQ(Manager().LookupSound("S2"), 1);
    EXPECT_EQ(Manager().LookupFont("R")->StringWidth("ABC"), 9);
    EXPECT_EQ(Manager().LookupFont("W")->StringWidth("ABC"), 6);
    EXPECT_GT(frames, 0);
}

} // namespace
