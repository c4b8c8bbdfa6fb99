#include <gtest/gtest.h>

#include "TestFormats.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/FormatErrors.h"

TEST(FileFormatList, ExtensionsIgnoreCaseAndRegisterOnce)
{
    TFileFormatList list;
    list.RegisterFileFormat("tif", "Test images", "", FormatKind::Raster, false, TTestGraphic::Class());
    for (const char* ext : {"TIF", "Tif", "tif"}) EXPECT_EQ(list.FindPictureClass(ext), &TTestGraphic::Class()) << ext;
    EXPECT_EQ(list.FindExtension("tiff"), -1);
    EXPECT_EQ(list.FindPictureClass(""), nullptr);
    try {
        list.RegisterFileFormat("TIF", "", "", FormatKind::Raster, false, TLenientGraphic::Class());
        FAIL() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Attempt to register TIF twice.");
    }
    list.RegisterFileFormat("", "ignored", "", FormatKind::Raster, false,
                            TLenientGraphic::Class()); // empty: nothing
    EXPECT_EQ(list.ExtensionCount(), 1);
    EXPECT_EQ(list.ClassCount(), 1);
}

TEST(FileFormatList, Descriptions)
{
    TFileFormatList list;
    list.RegisterFileFormat("win", "Test images", "", FormatKind::Raster, false, TTestGraphic::Class());
    list.RegisterFileFormat("vst", "", "", FormatKind::Raster, false, TTestGraphic::Class());
    list.RegisterFileFormat("qmt", "", "Special test images", FormatKind::Raster, false,
                            TTestGraphic::Class());
    EXPECT_EQ(list.GetDescription(TTestGraphic::Class()), "Test images");
    EXPECT_EQ(list.GetDescription(TLenientGraphic::Class()), "");
    ASSERT_EQ(list.PictureFormats().size(), 3u);
    EXPECT_EQ(list.PictureFormats()[1].Description, "Test images"); // no individual text: the common one
    EXPECT_EQ(list.PictureFormats()[2].Description, "Special test images");
    // A later common description replaces the class's.
    list.RegisterFileFormat("qm2", "Renamed", "", FormatKind::Raster, false, TTestGraphic::Class());
    EXPECT_EQ(list.GetDescription(TTestGraphic::Class()), "Renamed");
}

TEST(FileFormatList, ReplaceAndUnregister)
{
    TFileFormatList list;
    list.RegisterFileFormat("aaa", "Test", "", FormatKind::Raster, false, TTestGraphic::Class());
    list.RegisterFileFormat("bbb", "Lenient", "", FormatKind::Raster, false, TLenientGraphic::Class());
    // Replacing the only extension of a class takes the class out of the list.
    list.RegisterFileFormat("BBB", "", "", FormatKind::Raster, true, TTestGraphic::Class());
    EXPECT_EQ(list.ClassCount(), 1);
    EXPECT_EQ(list.FindGraphicClass(TLenientGraphic::Class()), -1);
    EXPECT_EQ(list.FindPictureClass("bbb"), &TTestGraphic::Class());
    EXPECT_EQ(list.ExtensionEntry(1).Extension, "bbb"); // the entry keeps its own text
    EXPECT_EQ(list.ClassEntry(0).Count, 2);

    list.UnregisterFileFormat("aaa", TTestGraphic::Class());
    EXPECT_EQ(list.FindExtension("aaa"), -1);
    EXPECT_EQ(list.FindPictureClass("aaa"), nullptr);
    EXPECT_EQ(list.ClassEntry(0).Count, 1);
    list.UnregisterFileFormat("zzz", TTestGraphic::Class()); // unknown: nothing happens
    list.UnregisterFileFormat("", TTestGraphic::Class());    // the whole class
    EXPECT_EQ(list.ClassCount(), 0);
    EXPECT_EQ(list.ExtensionCount(), 0);
    EXPECT_TRUE(list.PictureFormats().empty());
}

TEST(FileFormatList, ContentSniffingOrder)
{
    TMemoryStream test(TTestGraphic::Make(2, 2));
    TMemoryStream tiny(std::vector<uint8_t>{1, 2, 3});
    struct Case
    {
        std::vector<const TGraphicClass*> order;
        TStream* stream;
        const TGraphicClass* expected;
    } cases[] = {
        // The first class that accepts wins, even over a format with a real signature.
        {{&TLenientGraphic::Class(), &TTestGraphic::Class()}, &test, &TLenientGraphic::Class()},
        {{&TTestGraphic::Class(), &TLenientGraphic::Class()}, &test, &TTestGraphic::Class()},
        // Classes without a content test are passed over.
        {{&TBitmapGraphic::Class(), &TTestGraphic::Class()}, &test, &TTestGraphic::Class()},
        // A content test that fails on short data counts as a refusal.
        {{&TGreedyGraphic::Class(), &TLenientGraphic::Class()}, &tiny, nullptr},
        {{&TGreedyGraphic::Class(), &TTestGraphic::Class()}, &test, &TTestGraphic::Class()},
    };
    for (const auto& c : cases) {
        TFileFormatList list;
        int n = 0;
        for (const TGraphicClass* cls : c.order)
            list.RegisterFileFormat(std::string(2, char('a' + n++)), "", "", FormatKind::Raster, false, *cls);
        c.stream->SetPosition(0);
        EXPECT_EQ(list.GraphicFromContent(*c.stream), c.expected);
        EXPECT_EQ(c.stream->Position(), 0); // the position is kept whatever the tests do
    }
}
