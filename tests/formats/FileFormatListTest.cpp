#include <gtest/gtest.h>

#include "TestFormats.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/FormatErrors.h"

// One registry through registration, descriptions, replacement and removal.
TEST(FileFormatList, RegisterReplaceAndUnregister)
{
    const TGraphicClass &test = TTestGraphic::Class(), &lenient = TLenientGraphic::Class();
    TFileFormatList list;
    list.RegisterFileFormat("tif", "Test images", "", FormatKind::Raster, false, test);
    list.RegisterFileFormat("qmt", "", "Special test images", FormatKind::Raster, false, test);
    list.RegisterFileFormat("bbb", "Lenient", "", FormatKind::Raster, false, lenient);
    list.RegisterFileFormat("", "ignored", "", FormatKind::Raster, false, lenient); // empty: nothing
    for (const char* ext : {"TIF", "Tif", "tif"}) EXPECT_EQ(list.FindPictureClass(ext), &test) << ext;
    EXPECT_EQ(std::tuple(list.FindExtension("tiff"), list.FindPictureClass("")), std::tuple(-1, nullptr));
    const auto twice = [&] { list.RegisterFileFormat("TIF", "", "", FormatKind::Raster, false, lenient); };
    EXPECT_EQ(ErrorOf<EInvalidGraphic>(twice), "Attempt to register TIF twice.");
    EXPECT_EQ(std::tuple(list.ExtensionCount(), list.ClassCount()), std::tuple(3, 2));
    ASSERT_EQ(list.PictureFormats().size(), 3u);
    EXPECT_EQ(list.PictureFormats()[0].Description, "Test images"); // no individual text: the common one
    EXPECT_EQ(list.PictureFormats()[1].Description, "Special test images");

    // Replacing the only extension of a class takes the class out; a new common text replaces the old.
    list.RegisterFileFormat("BBB", "Renamed", "", FormatKind::Raster, true, test);
    EXPECT_EQ(std::tuple(list.GetDescription(test), list.GetDescription(lenient)), std::tuple("Renamed", ""));
    EXPECT_EQ(std::tuple(list.ClassCount(), list.FindGraphicClass(lenient)), std::tuple(1, -1));
    EXPECT_EQ(std::tuple(list.FindPictureClass("bbb"), list.ExtensionEntry(2).Extension, list.ClassEntry(0).Count),
              std::tuple(&test, "bbb", 3)); // the entry keeps its own text

    list.UnregisterFileFormat("tif", test);
    EXPECT_EQ(std::tuple(list.FindExtension("tif"), list.FindPictureClass("tif"), list.ClassEntry(0).Count),
              std::tuple(-1, nullptr, 2));
    list.UnregisterFileFormat("zzz", test); // unknown: nothing happens
    list.UnregisterFileFormat("", test);    // the whole class
    EXPECT_EQ(std::tuple(list.ClassCount(), list.ExtensionCount(), list.PictureFormats().size()),
              std::tuple(0, 0, 0u));
}

// The first class that accepts wins, even over a format with a real signature; classes without a
// content test are passed over; a content test that fails on short data counts as a refusal. The
// stream position is kept whatever the tests do.
TEST(FileFormatList, ContentSniffingOrder)
{
    TMemoryStream test(TTestGraphic::Make(2, 2)), tiny(std::vector<uint8_t>{1, 2, 3});
    const TGraphicClass *qmt = &TTestGraphic::Class(), *lenient = &TLenientGraphic::Class();
    const std::tuple<std::vector<const TGraphicClass*>, TStream*, const TGraphicClass*> cases[] = {
        {{lenient, qmt}, &test, lenient},
        {{qmt, lenient}, &test, qmt},
        {{&TBitmapGraphic::Class(), qmt}, &test, qmt},
        {{qmt, lenient}, &tiny, nullptr},
    };
    for (const auto& [order, stream, expected] : cases) {
        TFileFormatList list;
        for (const TGraphicClass* cls : order)
            list.RegisterFileFormat(std::string(2, char('a' + list.ExtensionCount())), "", "", FormatKind::Raster,
                                    false, *cls);
        stream->SetPosition(0);
        EXPECT_EQ(std::tuple(list.GraphicFromContent(*stream), stream->Position()), std::tuple(expected, 0));
    }
}
