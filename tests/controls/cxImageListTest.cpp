// TcxImageList: the system list and its mirror in step, change
// notification, the stored forms and damaged input.
#include <gtest/gtest.h>

#include "controls/cxGraphics.h"
#include "forms/ActnList.h"
#include "forms/Exceptions.h"
#include "forms/FormWriter.h"
#include "forms/ImageListStream.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/fuzz/Mutator.h"

using namespace controls;
using namespace controlstest;
using forms::ObjectNode;
using forms::Property;
using forms::Value;

namespace {

// The colour of every pixel of picture `index`, from the system list and
// from the mirror; 0 when they disagree or the pixels are not one colour.
Pixel ColourOf(const TcxImageList& list, int index) {
    std::vector<std::uint32_t> system;
    if (!list.CopyImagePixels(index, system)) return 0;
    const auto mirror = ToBgra32(list.ImageInfo().Items(index).Image().Image());
    for (std::uint32_t p : system)
        if ((p & 0x00FFFFFF) != (system[0] & 0x00FFFFFF)) return 0;
    for (std::uint32_t p : mirror)
        if (p != mirror[0]) return 0;
    return (system[0] & 0x00FFFFFF) == (mirror[0] & 0x00FFFFFF) ? mirror[0] : 0;
}

const Pixel kA = Argb(255, 200, 0, 0), kB = Argb(255, 0, 200, 0), kC = Argb(255, 0, 0, 200), kD = Argb(255, 90, 90, 0);

// A 4 x 4 list holding solid pictures of the given colours.
std::unique_ptr<TcxImageList> ListOf(std::initializer_list<Pixel> colours) {
    auto list = std::make_unique<TcxImageList>(nullptr, 4, 4);
    for (Pixel c : colours) list->AddPicture(Solid(4, 4, c).get());
    return list;
}

std::vector<Pixel> Colours(const TcxImageList& list) {
    std::vector<Pixel> colours;
    for (int i = 0; i < list.Count(); ++i) colours.push_back(ColourOf(list, i));
    EXPECT_EQ(list.ImageInfo().Count(), list.Count());
    return colours;
}

// A stored description of one list, read into a list that already exists.
void ReadInto(TcxImageList& list, std::vector<Property> properties) {
    forms::TReader reader(&list, nullptr);
    reader.ReadRoot(ObjectNode{"TcxImageList", "", std::move(properties), {}});
}

Value ImageInfoOf(const std::vector<std::vector<std::uint8_t>>& blocks) {
    std::vector<std::vector<Property>> items;
    for (const auto& block : blocks) items.push_back({Property{"Image.Data", Value::Bin(block)}});
    return Value::CollectionOf(items);
}

// Stand-ins for the system calls that move a picture.
BOOL WINAPI RefuseImageCount(HIMAGELIST, UINT) { return FALSE; }
int gCopies = 0, gCopyToRefuse = 0;
BOOL WINAPI CopyRefusingOne(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT flags) {
    return ++gCopies == gCopyToRefuse ? FALSE : ::ImageList_Copy(dst, iDst, src, iSrc, flags);
}

class MainList : public ::testing::Test {
protected:
    void SetUp() override {
        root.Read(MainImageListNode());
        list = dynamic_cast<TcxImageList*>(root.FindComponent("ImageList"));
        ASSERT_NE(list, nullptr);
    }
    TTestRoot root;
    TcxImageList* list = nullptr;
};

}  // namespace

TEST(ImageList, CreatedWithAValidSizeOnly) {
    struct Case {
        int width, height;
        bool valid;
    };
    const Case cases[] = {{16, 16, true}, {1, 1, true},   {1, 32768, true}, {0, 16, false},
                          {-4, 16, false}, {16, 0, false}, {16, 32769, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        if (c.valid) {
            TcxImageList list(nullptr, c.width, c.height);
            EXPECT_EQ(list.Width(), c.width);
        } else {
            try {
                TcxImageList list(nullptr, c.width, c.height);
                ADD_FAILURE() << "accepted";
            } catch (const forms::EInvalidOperation& e) {
                EXPECT_STREQ(e.what(), "Invalid image size");
            }
        }
    }
    TcxImageList list(nullptr, 16, 16);
    EXPECT_THROW(list.SetHeight(0), forms::EInvalidOperation);
    EXPECT_EQ(list.Height(), 16);
}

TEST(ImageList, DefaultsOfThePublishedProperties) {
    TcxImageList list(nullptr);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    EXPECT_EQ(list.BkColor(), forms::clNone);
    EXPECT_EQ(list.BlendColor(), forms::clNone);
    EXPECT_EQ(list.DrawingStyle(), forms::TDrawingStyle::Normal);
    EXPECT_EQ(list.ImageType(), forms::TImageType::Image);
    EXPECT_FALSE(list.ShareImages());
    EXPECT_FALSE(list.CompressData());
    EXPECT_TRUE(list.AlphaDrawing());
    // Nothing but the always-written properties is stored.
    const std::vector<Property> stored = forms::WriteProperties(list);
    EXPECT_EQ(stored, (std::vector<Property>{{"FormatVersion", Value::Int(1)}, {"DesignInfo", Value::Int(0)}}));
}

TEST_F(MainList, LoadsFivePicturesKeptDormant) {
    EXPECT_EQ(list->Width(), 32);
    EXPECT_EQ(list->Height(), 32);
    EXPECT_EQ(list->Count(), 5);
    EXPECT_EQ(list->FormatVersion(), 1);
    EXPECT_EQ(list->DesignInfo(), 7471329);
    const auto blocks = MainPictureBlocks();
    ASSERT_EQ(list->ImageInfo().Count(), 5);
    for (int i = 0; i < 5; ++i) {
        const TcxImageInfoItem& item = list->ImageInfo().Items(i);
        EXPECT_EQ(item.Image().Image(), DecodeData(blocks[i]));
        EXPECT_FALSE(item.Image().HandleAllocated());
        EXPECT_TRUE(item.Mask().Empty());
        EXPECT_EQ(item.MaskColor(), forms::clNone);
        // The system list keeps the alpha channel.
        std::vector<std::uint32_t> system;
        ASSERT_TRUE(list->CopyImagePixels(i, system));
        const auto mirror = ToBgra32(item.Image().Image());
        EXPECT_EQ(system, mirror) << "picture " << i;
    }
}

TEST_F(MainList, AMoveKeepsEveryPixelMaskAndTheBackgroundColour) {
    list->SetBkColor(forms::clWhite);
    ListState expected = StateOf(*list);
    const auto lastToFront = [](auto& v) { std::rotate(v.begin(), v.end() - 1, v.end()); };
    lastToFront(expected.images);
    lastToFront(expected.masks);
    lastToFront(expected.mirrorImages);
    lastToFront(expected.mirrorMasks);
    lastToFront(expected.maskColours);
    list->MovePicture(4, 0);
    EXPECT_EQ(StateOf(*list), expected);
    EXPECT_EQ(::ImageList_GetBkColor(list->Handle()), RGB(255, 255, 255));
}

TEST_F(MainList, WritesBackExactlyWhatItRead) {
    const ObjectNode written = forms::WriteComponent(*list);
    EXPECT_EQ(written.className, "TcxImageList");
    EXPECT_EQ(written.name, "ImageList");
    EXPECT_EQ(written.properties, MainImageListNode().properties);
}

TEST_F(MainList, CompressedStoredFormReadsBackTheSamePictures) {
    list->SetCompressData(true);
    ObjectNode written = forms::WriteComponent(*list);
    written.name = "Copy";
    const Value& info = PropertyOf(written, "ImageInfo");
    for (const auto& item : info.items) {
        const auto& data = item.at(0).value.bytes;
        EXPECT_TRUE(std::equal(std::begin(kCompressedSignature), std::end(kCompressedSignature), data.begin() + 4));
        EXPECT_LT(data.size(), 4154u);
    }
    TTestRoot other;
    other.Read(written);
    auto* copy = dynamic_cast<TcxImageList*>(other.FindComponent("Copy"));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->CompressData());
    EXPECT_EQ(StateOf(*copy), StateOf(*list));
}

TEST(ImageList, PlatformBitmapFormLoadsWithACompleteMirror) {
    auto source = ListOf({kA, kB, kC});
    const std::vector<std::uint8_t> bitmap = source->SaveToBytes();
    TcxImageList list(nullptr, 4, 4);
    ReadInto(list, {{"Bitmap", Value::Bin(bitmap)}});
    EXPECT_EQ(Colours(list), (std::vector<Pixel>{kA, kB, kC}));
    EXPECT_THROW(ReadInto(list, {{"Bitmap", Value::Bin({1, 2, 3})}}), forms::EReadError);
    EXPECT_EQ(Colours(list), (std::vector<Pixel>{kA, kB, kC}));
}

TEST(ImageList, AStripAddsOnePicturePerCellLeftToRight) {
    TcxImageList list(nullptr, 32, 32);
    const Pixel cells[] = {kA, kB, kC};
    const auto strip = Picture(96, 32, [&](int x, int) { return cells[x / 32]; });
    EXPECT_EQ(list.AddPicture(strip.get()), 0);
    EXPECT_EQ(Colours(list), (std::vector<Pixel>{kA, kB, kC}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.ImageInfo().Items(i).Image().Width(), 32);
        EXPECT_FALSE(list.ImageInfo().Items(i).Image().HandleAllocated());
    }
    // Every cell of the strip is opaque, not just the first.
    std::vector<std::uint32_t> mask;
    ASSERT_TRUE(list.CopyMaskPixels(2, mask));
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0u), 32 * 32);
}

TEST(ImageList, PicturesMoveInsertAndGoInBothLists) {
    auto list = ListOf({kA, kB, kC});
    list->MovePicture(2, 0);
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kC, kA, kB}));
    list->MovePicture(0, 2);
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kA, kB, kC}));

    const Pixel pair[] = {kD, kA};
    list->InsertPicture(1, Picture(8, 4, [&](int x, int) { return pair[x / 4]; }).get());
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kA, kD, kA, kB, kC}));
    list->InsertPicture(6, Solid(4, 4, kD).get());
    list->InsertPicture(-1, Solid(4, 4, kD).get());
    EXPECT_EQ(list->Count(), 5);

    list->ReplacePicture(1, Solid(4, 4, kB).get());
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kA, kB, kA, kB, kC}));
    list->DeletePicture(2);
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kA, kB, kB, kC}));
    list->DeletePicture(-1);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->ImageInfo().Count(), 0);
}

TEST(ImageList, AMoveTheSystemListRefusesChangesNeitherList) {
    struct Case {
        const char* name;
        TcxImageList::SetImageCountFunction setImageCount;
        int refusedCopy;
    };
    // Moving 0 to 2 copies four times: into the spare slot, two shifts, back.
    const Case cases[] = {{"no spare slot", RefuseImageCount, 0},
                          {"the copy into the spare slot", nullptr, 1},
                          {"a shift", nullptr, 3},
                          {"the copy back", nullptr, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = ListOf({kA, kB, kC});
        const ListState before = StateOf(*list);
        const forms::HandleCount handles = forms::LiveHandles();
        int events = 0;
        list->OnChange = forms::TNotifyEvent(nullptr, "Counted", [&](forms::TComponent*) { ++events; });
        gCopies = 0;
        gCopyToRefuse = c.refusedCopy;
        TcxImageList::SetSystemMoveFunctions(c.setImageCount, CopyRefusingOne);
        EXPECT_THROW(list->MovePicture(0, 2), forms::EOutOfResources);
        TcxImageList::SetSystemMoveFunctions(nullptr, nullptr);
        EXPECT_EQ(StateOf(*list), before);
        EXPECT_EQ(events, 0);
        EXPECT_EQ(forms::LiveHandles().gdi, handles.gdi);
        // Allowed again, the same move goes through in both lists.
        list->MovePicture(0, 2);
        EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kB, kC, kA}));
    }
}

// Inserting and replacing move the new picture into place: a refused move
// leaves the list as it was, the old picture of a replacement included.
TEST(ImageList, InsertingOrReplacingWithARefusedMoveChangesNothing) {
    const std::pair<const char*, std::function<void(TcxImageList&)>> cases[] = {
        {"insert", [](TcxImageList& list) { list.InsertPicture(0, Solid(4, 4, kC).get()); }},
        {"replace", [](TcxImageList& list) { list.ReplacePicture(0, Solid(4, 4, kC).get()); }},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        auto list = ListOf({kA, kB});
        const ListState before = StateOf(*list);
        TcxImageList::SetSystemMoveFunctions(RefuseImageCount, nullptr);
        EXPECT_THROW(change(*list), forms::EOutOfResources);
        TcxImageList::SetSystemMoveFunctions(nullptr, nullptr);
        EXPECT_EQ(StateOf(*list), before);
    }
    auto list = ListOf({kA, kB});
    list->ReplacePicture(0, Solid(4, 4, kC).get());
    list->InsertPicture(1, Solid(4, 4, kA).get());
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kC, kA, kB}));
}

TEST(ImageList, IndicesOutsideTheListAreRefused) {
    auto list = ListOf({kA, kB});
    const auto expectIndexError = [](const std::function<void()>& f) {
        try {
            f();
            ADD_FAILURE() << "accepted";
        } catch (const forms::EInvalidOperation& e) {
            EXPECT_STREQ(e.what(), "Invalid ImageList Index");
        }
    };
    expectIndexError([&] { list->DeletePicture(2); });
    expectIndexError([&] { list->DeletePicture(-2); });
    expectIndexError([&] { list->MovePicture(0, 2); });
    expectIndexError([&] { list->ReplacePicture(2, Solid(4, 4, kC).get()); });
    EXPECT_EQ(Colours(*list), (std::vector<Pixel>{kA, kB}));
    TcxBitmap32 untouched(1, 1);
    EXPECT_FALSE(list->CopyPicture(5, &untouched, nullptr));
    EXPECT_EQ(untouched.Width(), 1);
}

TEST(ImageList, ARefusedPictureLeavesTheListAsItWas) {
    auto list = ListOf({kA, kB});
    const ListState before = StateOf(*list);
    TcxBitmap empty;
    EXPECT_EQ(list->AddPicture(&empty), -1);
    EXPECT_EQ(list->AddPictureByColour(&empty, forms::clRed), -1);
    list->ReplacePicture(0, &empty);
    EXPECT_EQ(StateOf(*list), before);
}

TEST(ImageList, MaskColourAndMasksMakePixelsTransparent) {
    TcxImageList list(nullptr, 4, 4);
    const auto picture = Picture(4, 4, [](int x, int) { return x < 2 ? Argb(0, 255, 0, 255) : Argb(0, 10, 20, 30); });
    EXPECT_EQ(list.AddPictureByColour(picture.get(), forms::clFuchsia), 0);
    EXPECT_EQ(list.ImageInfo().Items(0).MaskColor(), forms::clFuchsia);
    // The caller's bitmap is not altered by the system list.
    EXPECT_EQ(picture->Pixels()[0], Argb(0, 255, 0, 255));
    std::vector<std::uint32_t> mask;
    ASSERT_TRUE(list.CopyMaskPixels(0, mask));
    EXPECT_EQ(mask[0], 0xFFFFFFu);
    EXPECT_EQ(mask[3], 0u);

    TcxBitmap maskBitmap(4, 4, 1);
    maskBitmap.ScanLine(0)[0] = 0x80;  // the top-left pixel
    EXPECT_EQ(list.AddPicture(picture.get(), &maskBitmap), 1);
    EXPECT_EQ(list.ImageInfo().Items(1).Mask().Image(), maskBitmap.Image());
    ASSERT_TRUE(list.CopyMaskPixels(1, mask));
    EXPECT_EQ(mask[0], 0xFFFFFFu);
    EXPECT_EQ(mask[1], 0u);
}

TEST(ImageList, CopyPictureGivesEachMaskTargetADepthItTakes) {
    TcxImageList list(nullptr, 4, 4);
    TcxBitmap mask(4, 4, 1);
    mask.ScanLine(0)[0] = 0x80;  // the top-left pixel
    list.AddPicture(Solid(4, 4, kA).get(), &mask);

    TcxBitmap plainMask;
    list.CopyPicture(0, nullptr, &plainMask);
    EXPECT_EQ(plainMask.Image(), mask.Image());
    // A 32-bit bitmap takes no other depth: it gets the mask widened.
    TcxBitmap32 image, wideMask;
    EXPECT_TRUE(list.CopyPicture(0, &image, &wideMask));
    EXPECT_EQ(image.Pixels()[1], kA);
    ASSERT_EQ(wideMask.Pixels().size(), 16u);
    EXPECT_EQ(wideMask.Pixels()[0], 0xFFFFFFu);
    EXPECT_EQ(wideMask.Pixels()[1], 0u);
}

TEST(ImageList, AssignCopiesPicturesMasksAndMaskColours) {
    TcxImageList source(nullptr, 4, 4);
    source.SetBkColor(forms::clWhite);
    const auto picture = Picture(4, 4, [](int x, int) { return x == 0 ? Argb(0, 255, 0, 255) : Argb(0, 10, 20, 30); });
    source.AddPictureByColour(picture.get(), forms::clFuchsia);
    TcxBitmap mask(4, 4, 1);
    mask.ScanLine(3)[0] = 0xF0;
    source.AddPicture(Solid(4, 4, kA).get(), &mask);

    TcxImageList copy(nullptr, 8, 8);
    int changes = 0;
    copy.OnChange = forms::TNotifyEvent(nullptr, "Counted", [&](forms::TComponent*) { ++changes; });
    copy.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Width(), 4);
    EXPECT_EQ(copy.BkColor(), forms::clWhite);
    EXPECT_EQ(StateOf(copy), StateOf(source));

    // From a plain platform list the pictures are cut out of its bitmaps.
    forms::TImageList platform(nullptr, 4, 4);
    platform.Add(Solid(4, 4, kC)->Handle(), nullptr);
    copy.Assign(platform);
    ASSERT_EQ(copy.Count(), 1);
    ASSERT_EQ(copy.ImageInfo().Count(), 1);
    EXPECT_EQ(ToBgra32(copy.ImageInfo().Items(0).Image().Image())[5] & 0x00FFFFFF, kC & 0x00FFFFFF);
}

TEST(ImageListChanges, OneNotificationPerOutermostOperation) {
    struct Case {
        const char* name;
        std::function<void(TcxImageList&)> run;
        int expected;
    };
    const Case cases[] = {
        {"AddPicture", [](TcxImageList& l) { l.AddPicture(Solid(4, 4, kD).get()); }, 1},
        {"AddPicture of a strip", [](TcxImageList& l) { l.AddPicture(Solid(12, 4, kD).get()); }, 1},
        {"AddPictureByColour", [](TcxImageList& l) { l.AddPictureByColour(Solid(4, 4, kD).get(), forms::clRed); }, 1},
        {"InsertPicture", [](TcxImageList& l) { l.InsertPicture(0, Solid(8, 4, kD).get()); }, 1},
        {"ReplacePicture", [](TcxImageList& l) { l.ReplacePicture(1, Solid(4, 4, kD).get()); }, 1},
        {"DeletePicture", [](TcxImageList& l) { l.DeletePicture(1); }, 1},
        {"ClearPictures", [](TcxImageList& l) { l.ClearPictures(); }, 1},
        {"MovePicture", [](TcxImageList& l) { l.MovePicture(2, 0); }, 1},
        {"a new size", [](TcxImageList& l) { l.SetSize(8, 8); }, 1},
        {"Assign", [](TcxImageList& l) { l.Assign(*ListOf({kA})); }, 1},
        {"loading ImageInfo",
         [](TcxImageList& l) { ReadInto(l, {{"ImageInfo", PropertyOf(forms::WriteComponent(*ListOf({kA, kB})), "ImageInfo")}}); },
         1},
        {"several under one lock",
         [](TcxImageList& l) {
             l.LockChanges();
             l.AddPicture(Solid(4, 4, kD).get());
             l.MovePicture(3, 0);
             l.DeletePicture(1);
             l.UnlockChanges(true);
         },
         1},
        {"unlocked without notification",
         [](TcxImageList& l) {
             l.LockChanges();
             l.AddPicture(Solid(4, 4, kD).get());
             l.UnlockChanges(false);
         },
         0},
        {"a refused index", [](TcxImageList& l) { EXPECT_ANY_THROW(l.DeletePicture(7)); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = ListOf({kA, kB, kC});
        int events = 0, links = 0;
        list->OnChange = forms::TNotifyEvent(nullptr, "Counted", [&](forms::TComponent*) { ++events; });
        forms::TChangeLink link;
        link.OnChange = [&] { ++links; };
        list->RegisterChanges(&link);
        c.run(*list);
        EXPECT_EQ(events, c.expected);
        EXPECT_EQ(links, c.expected);
        EXPECT_EQ(list->ImageInfo().Count(), list->Count());
    }
}

TEST(ImageListChanges, ClientsDropAListThatIsDestroyed) {
    TTestRoot root;
    auto* actions = new forms::TActionList(&root);
    auto* list = new TcxImageList(&root, 4, 4);
    actions->SetImages(list);
    int heard = 0;
    actions->OnChange = forms::TNotifyEvent(nullptr, "Heard", [&](forms::TComponent*) { ++heard; });
    forms::TChangeLink link;
    int linkHeard = 0;
    link.OnChange = [&] { ++linkHeard; };
    list->RegisterChanges(&link);
    list->AddPicture(Solid(4, 4, kA).get());
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(linkHeard, 1);
    EXPECT_EQ(link.Sender(), list);

    delete list;
    EXPECT_EQ(actions->Images(), nullptr);
    EXPECT_EQ(link.Sender(), nullptr);
}

TEST(ImageListChanges, ACommandListFindsItsImagesByName) {
    TTestRoot root;
    forms::TReader reader(&root, nullptr);
    reader.ReadRoot(ObjectNode{"TTestRoot",
                               "",
                               {},
                               {ObjectNode{"TActionList", "ActionList", {{"Images", Value::Id("Pictures")}}, {}},
                                ObjectNode{"TcxImageList", "Pictures", {}, {}}}});
    auto* actions = dynamic_cast<forms::TActionList*>(root.FindComponent("ActionList"));
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->Images(), root.FindComponent("Pictures"));
}

TEST_F(MainList, DamagedImageInfoLeavesTheListAsItWas) {
    const ListState before = StateOf(*list);
    const auto blocks = MainPictureBlocks();
    const std::vector<std::uint8_t> plain = blocks[2];
    const std::vector<std::uint8_t> packed = CompressData(plain, 32);

    // Damaged blocks in the middle of otherwise good items.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> damaged;
    for (const auto* form : {&plain, &packed}) {
        const std::string kind = form == &plain ? "plain" : "compressed";
        for (std::size_t n : {0, 1, 4, 9, 10, 12, 57, 58, 200, 2000})
            damaged.push_back({kind + " cut at " + std::to_string(n), std::vector(form->begin(), form->begin() + n)});
        damaged.push_back({kind + " cut by one", std::vector(form->begin(), form->end() - 1)});
        for (std::size_t at = 0; at < 64; ++at) {
            auto bytes = *form;
            bytes[at] ^= 0x80;
            damaged.push_back({kind + " byte " + std::to_string(at), bytes});
        }
    }
    int refused = 0;
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        try {
            ReadInto(*list, {{"ImageInfo", ImageInfoOf({blocks[0], bytes, blocks[4]})}});
            // What still decodes is a picture of the same size.
            EXPECT_EQ(list->Count(), 3);
            EXPECT_EQ(list->ImageInfo().Count(), 3);
            ReadInto(*list, {{"ImageInfo", PropertyOf(MainImageListNode(), "ImageInfo")}});
        } catch (const forms::EReadError& e) {
            ++refused;
            EXPECT_NE(std::string(e.what()).find("ImageInfo"), std::string::npos) << e.what();
        }
        ASSERT_EQ(StateOf(*list), before);
    }
    EXPECT_GT(refused, 0);
}

TEST_F(MainList, DamagedCollectionsAreRefusedWhole) {
    const ListState before = StateOf(*list);
    const auto blocks = MainPictureBlocks();
    const std::vector<Property> good = {{"Image.Data", Value::Bin(blocks[0])}};
    DibImage twoPictures;
    twoPictures.width = 64;
    twoPictures.height = 32;
    twoPictures.bits.assign(64 * 32 * 4, 0xFF);
    const std::vector<std::uint8_t> wide = EncodeData(twoPictures, false);
    struct Case {
        const char* name;
        Value info;
    };
    const Case cases[] = {
        {"not a collection", Value::Int(5)},
        {"an unknown item property", Value::CollectionOf({good, {{"Image.Colour", Value::Int(1)}}})},
        {"a mask colour of the wrong kind", Value::CollectionOf({good, {{"MaskColor", Value::Str("red")}}})},
        {"data that is not a block", Value::CollectionOf({good, {{"Image.Data", Value::Int(1)}}})},
        {"an item without a picture", Value::CollectionOf({good, {}})},
        {"two pictures in one item", Value::CollectionOf({good, {{"Image.Data", Value::Bin(wide)}}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ReadInto(*list, {{"ImageInfo", c.info}}), forms::EReadError);
        EXPECT_EQ(StateOf(*list), before);
    }
}

TEST(ImageListHandles, ALoadedListLeavesNoHandleBehind) {
    const forms::HandleCount before = forms::LiveHandles();
    {
        TTestRoot root;
        root.Read(MainImageListNode());
        auto* list = dynamic_cast<TcxImageList*>(root.FindComponent("ImageList"));
        ASSERT_NE(list, nullptr);
        // The system list is the one handle a loaded list holds.
        EXPECT_EQ(forms::LiveHandles().gdi, before.gdi + 1);
        TcxBitmap32 image, mask;
        list->CopyPicture(1, &image, &mask);
        list->MovePicture(0, 4);
        list->DeletePicture(2);
    }
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(forms::LiveHandles().user, before.user);
}

TEST(PlatformImageList, CopiesAndStoresItsPictures) {
    forms::TImageList source(nullptr, 4, 4);
    source.Add(Solid(8, 4, kA)->Handle(), nullptr);
    source.SetBkColor(forms::clWhite);
    forms::TImageList copy(nullptr);
    copy.Assign(source);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Width(), 4);
    EXPECT_EQ(copy.BkColor(), forms::clWhite);

    // Stored: the published properties that differ, then the system list.
    const std::vector<Property> stored = forms::WriteProperties(source);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0], (Property{"BkColor", Value::Int(0xFFFFFF)}));
    EXPECT_EQ(stored[1], (Property{"Height", Value::Int(4)}));
    EXPECT_EQ(stored[2], (Property{"Width", Value::Int(4)}));
    EXPECT_EQ(stored[3].name, "Bitmap");
    forms::TImageList read(nullptr);
    read.LoadFromBytes(stored[3].value.bytes);
    EXPECT_EQ(read.Count(), 2);
    EXPECT_EQ(read.Width(), 4);
}

namespace {

// A platform list of any colour depth.
class TAnyImageList : public forms::TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    const char* ClassName() const override { return "TAnyImageList"; }
};

}  // namespace

// The stored stream is checked before the system reads it: its reader
// trusts the header's picture size and ran past the bitmap of a stream
// whose picture height was raised.
TEST(PlatformImageList, ADamagedStreamIsRefusedAndTheListKept) {
    struct Kind {
        UINT flags;
        int pictures;
    } kinds[] = {{ILC_COLOR32 | ILC_MASK, 3}, {ILC_COLORDDB | ILC_MASK, 5}, {ILC_COLOR24, 1},
                 {ILC_COLOR8 | ILC_MASK, 0}, {ILC_COLOR4, 9},            {ILC_COLOR16 | ILC_MASK, 2}};
    std::vector<std::vector<std::uint8_t>> streams;
    for (const Kind& kind : kinds) {
        TAnyImageList list(nullptr, 4, 4, kind.flags);
        if (kind.pictures > 0) list.Add(Solid(4 * kind.pictures, 4, kB)->Handle(), nullptr);
        streams.push_back(list.SaveToBytes());
        EXPECT_NO_THROW(forms::CheckImageListStream(streams.back())) << "flags " << kind.flags;
    }

    forms::TImageList list(nullptr, 4, 4);
    list.Add(Solid(8, 4, kA)->Handle(), nullptr);
    std::vector<std::uint32_t> before;
    ASSERT_TRUE(list.CopyImagePixels(1, before));
    auto expectKept = [&](const std::string& what) {
        std::vector<std::uint32_t> now;
        EXPECT_EQ(list.Count(), 2) << what;
        EXPECT_EQ(list.Height(), 4) << what;
        EXPECT_TRUE(list.CopyImagePixels(1, now) && now == before) << what;
    };
    std::vector<std::uint8_t> taller = streams[0];
    taller[12] = 0x00, taller[13] = 0x80;  // pictures 32768 high
    EXPECT_THROW(list.LoadFromBytes(taller), forms::EReadError);
    expectKept("pictures taller than the bitmap");

    // Damaged copies of every kind either load whole or leave the list as
    // it was, and nothing leaks.
    const forms::HandleCount handles = forms::LiveHandles();
    fuzz::Rng rng(20250611);
    int loaded = 0;
    for (int round = 0; round < 1500; ++round) {
        std::vector<std::uint8_t> damaged = streams[rng.Below(streams.size())];
        fuzz::Mutate(damaged, rng);
        forms::TImageList target(nullptr, 4, 4);
        target.Add(Solid(8, 4, kA)->Handle(), nullptr);
        try {
            target.LoadFromBytes(damaged);
            ++loaded;
            EXPECT_GE(target.Width(), 1);
            EXPECT_GE(target.Height(), 1);
        } catch (const forms::EReadError&) {
            EXPECT_EQ(target.Count(), 2) << "round " << round;
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_EQ(forms::LiveHandles().gdi, handles.gdi);
    EXPECT_EQ(forms::LiveHandles().user, handles.user);
}

TEST(PlatformImageList, ItsMaskedPixelsStayTransparent) {
    forms::TImageList platform(nullptr, 4, 4);
    TcxBitmap mask(4, 4, 1);
    mask.ScanLine(0)[0] = 0x80;  // the top-left pixel
    platform.Add(Solid(4, 4, kC)->Handle(), mask.Handle());
    TcxImageList copy(nullptr, 4, 4);
    copy.Assign(platform);
    const Pixel background = Argb(255, 10, 20, 30);
    const RECT r{0, 0, 4, 4};
    for (forms::TCustomImageList* list : std::initializer_list<forms::TCustomImageList*>{&platform, &copy}) {
        SCOPED_TRACE(list->ClassName());
        Surface surface(4, 4, background);
        DrawImage(surface.DC(), r, r, nullptr, list, 0, ImageDrawMode::Normal);
        EXPECT_EQ(surface.Rgb(0, 0), background & 0x00FFFFFF);
        EXPECT_EQ(surface.Rgb(1, 0), kC & 0x00FFFFFF);
    }
}
