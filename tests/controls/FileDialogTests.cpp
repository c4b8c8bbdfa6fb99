// The program's file dialogs list a folder without opening the files in it.
#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <sys/inotify.h>
#include <unistd.h>

#include "controls/FileDialog.h"
#include "support/GuiTestApp.h"

namespace {

// Files whose names say nothing of their kind, holding the starts of a PNG and a JPEG file: only a
// look at their contents tells what they are.
void WriteNamelessPictures(const QString& folder)
{
    std::ofstream(folder.toStdString() + "/picture", std::ios::binary) << "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
    std::ofstream(folder.toStdString() + "/photo", std::ios::binary) << "\xFF\xD8\xFF\xE0\0\x10JFIF";
}

// The names of the files in the watched folder that were opened since the last call.
std::vector<std::string> OpenedFiles(int fd)
{
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if ((e->mask & IN_OPEN) && e->len > 0 && !(e->mask & IN_ISDIR)) names.emplace_back(e->name);
            p += sizeof(inotify_event) + e->len;
        }
    return names;
}

} // namespace

// A file whose reading blocks (/proc/kmsg) hung the program for good once a dialog listed its folder:
// the type texts and icons were taken from the files' contents. Listing, with icons and the type
// column, opens no file; the types come from the names.
TEST(FileDialog, ListsAFolderWithoutOpeningItsFiles)
{
    EnsureGuiTestApp();
    QTemporaryDir dir;
    WriteNamelessPictures(dir.path());
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_GE(::inotify_add_watch(fd, dir.path().toLocal8Bit().constData(), IN_OPEN), 0);

    for (bool save : {false, true}) {
        SCOPED_TRACE(save ? "save" : "open");
        QFileDialog dialog(nullptr, "Files", dir.path(), "All files (*)");
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        ListByNamesOnly(dialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        const QString png = QMimeDatabase().mimeTypeForName("image/png").comment();
        QString type;
        ASSERT_TRUE(PumpUntil(
            [&] {
                const QModelIndex file = model->index(dir.path() + "/picture", 2);
                type = file.isValid() ? model->data(file).toString() : QString();
                return !type.isEmpty() &&
                       !model->data(model->index(dir.path() + "/photo", 0), Qt::DecorationRole).isNull();
            },
            5000));
        PumpUntil([] { return false; }, 300); // the model's worker has had time for all of them
        EXPECT_NE(type.toStdString(), png.toStdString());
        EXPECT_EQ(OpenedFiles(fd), std::vector<std::string>());
        dialog.hide();
    }

    // The same folder through the usual icon provider opens both files: the check above is able to
    // see a look inside.
    QFileSystemModel plain;
    plain.setRootPath(dir.path());
    PumpUntil(
        [&] {
            return !plain.data(plain.index(dir.path() + "/picture", 2)).toString().isEmpty() &&
                   !plain.data(plain.index(dir.path() + "/photo", 2)).toString().isEmpty();
        },
        5000);
    PumpUntil([] { return false; }, 300);
    std::vector<std::string> opened = OpenedFiles(fd);
    std::sort(opened.begin(), opened.end());
    opened.erase(std::unique(opened.begin(), opened.end()), opened.end());
    EXPECT_EQ(opened, (std::vector<std::string>{"photo", "picture"}));
    ::close(fd);
}
