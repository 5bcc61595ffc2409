#include "platform/forms/file_dialogs.h"

#include "tests/support/test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

namespace {

const QString kPictures = MakeFilterString({{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ画像 (*.bmp)"), QStringLiteral("*.bmp")},
                                            {QStringLiteral("PNG画像 (*.png)"), QStringLiteral("*.png")},
                                            {QStringLiteral("SVG ﾌｧｲﾙ (*.svg;*.svgz)"), QStringLiteral("*.svg;*.svgz")}});

struct HookReset {
    ~HookReset() { SetFileDialogHook(nullptr); }
};

// Answers the next file dialog that opens: the filter to choose (-1: keep it) and the name to type.
void AnswerNextDialog(int filterIndex, const QString &typed)
{
    QTimer::singleShot(0, [filterIndex, typed] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        if (filterIndex >= 0) {
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(filterIndex);
            emit types->activated(filterIndex);  // as a choice in the list does
            emit types->textActivated(types->currentText());
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        static_cast<QDialog *>(dialog)->accept();  // runs the file dialog's own accept
    });
}

}  // namespace

TEST(FileDialogFilters, PairsRoundTripAndListTheirPatternsSpaced)
{
    EXPECT_EQ(kPictures.count(QChar(u'\0')), 7);
    EXPECT_TRUE(kPictures.endsWith(QStringLiteral("*.svgz") + QChar(u'\0') + QChar(u'\0')));
    std::vector<FileFilter> filters = SplitFilterString(kPictures);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[1].description, QStringLiteral("PNG画像 (*.png)"));
    EXPECT_EQ(filters[2].pattern, QStringLiteral("*.svg;*.svgz"));
    EXPECT_EQ(NameFilterText(filters[2]), QStringLiteral("SVG ﾌｧｲﾙ (*.svg *.svgz)"));
    EXPECT_EQ(NameFilterText({QStringLiteral("Drawings"), QStringLiteral("*.qlk")}), QStringLiteral("Drawings (*.qlk)"));
    // A bracket that lists fewer patterns than the filter matches gives way to the full list.
    EXPECT_EQ(NameFilterText({QStringLiteral("画像ﾌｧｲﾙ (*.qlk;*.jpg)"), QStringLiteral("*.qlk;*.jpg;*.jpeg")}),
              QStringLiteral("画像ﾌｧｲﾙ (*.qlk *.jpg *.jpeg)"));
    EXPECT_EQ(NameFilterText({QStringLiteral("Notes (draft)"), QStringLiteral("*.txt")}),
              QStringLiteral("Notes (draft) (*.txt)"));
    EXPECT_TRUE(SplitFilterString(QString()).empty());
    EXPECT_TRUE(SplitFilterString(QStringLiteral("no pattern")).empty());
}

TEST(FileDialogHookTest, TheHookSeesTheCompletedRecordAndTheAnswerEndsAtItsNul)
{
    HookReset reset;
    FileDialogKind seenKind = FileDialogKind::Save;
    uint32_t seenFlags = 0;
    SetFileDialogHook([&](FileDialogKind kind, OpenFileName &record) {
        seenKind = kind;
        seenFlags = record.Flags;
        record.lpstrFile = QStringLiteral("/tmp/chosen.qlk") + QChar(u'\0') + QStringLiteral("rest");
        return 1;
    });
    OpenFileName open;
    open.Flags = 0x1000;
    EXPECT_NE(ShowOpenDialog(open), 0);
    EXPECT_EQ(seenKind, FileDialogKind::Open);
    EXPECT_EQ(seenFlags, 0x81004u);
    EXPECT_EQ(open.lpstrFile, QStringLiteral("/tmp/chosen.qlk"));
    EXPECT_EQ(open.lpstrFileTitle, QStringLiteral("chosen.qlk"));

    OpenFileName save;
    save.Flags = 0x1000;
    ShowSaveDialog(save);
    EXPECT_EQ(seenKind, FileDialogKind::Save);
    EXPECT_EQ(seenFlags, 0x80002u);

    SetFileDialogHook([](FileDialogKind, OpenFileName &record) {
        record.lpstrFile = QStringLiteral("ignored");
        return 0;
    });
    OpenFileName cancelled;
    cancelled.lpstrFile = QStringLiteral("/tmp/proposal");
    EXPECT_EQ(ShowSaveDialog(cancelled), 0);
    EXPECT_TRUE(cancelled.lpstrFile.isEmpty());
}

TEST(FileDialogShown, ANameTypedWithoutExtensionTakesTheChosenFiltersOne)
{
    const QString folder = QString::fromStdString(testsupport::TempPath("dialogs"));
    std::filesystem::create_directories(folder.toStdString());
    OpenFileName record;
    record.lpstrFilter = kPictures;
    record.lpstrDefExt = QStringLiteral("bmp");
    record.lpstrInitialDir = folder;
    AnswerNextDialog(-1, QStringLiteral("first"));
    ASSERT_NE(ShowSaveDialog(record), 0);
    EXPECT_EQ(record.lpstrFile.toStdString(), (folder + QStringLiteral("/first.bmp")).toStdString());
    EXPECT_EQ(record.nFilterIndex, 1);

    record.lpstrFile.clear();
    AnswerNextDialog(1, QStringLiteral("second"));
    ASSERT_NE(ShowSaveDialog(record), 0);
    EXPECT_EQ(record.lpstrFile.toStdString(), (folder + QStringLiteral("/second.png")).toStdString());
    EXPECT_EQ(record.nFilterIndex, 2);

    record.lpstrFile = folder + QStringLiteral("/proposed.bmp");
    record.nFilterIndex = 1;
    AnswerNextDialog(-1, QStringLiteral("third.svgz"));
    ASSERT_NE(ShowOpenDialog(record), 0);
    EXPECT_EQ(record.lpstrFile.toStdString(), (folder + QStringLiteral("/third.svgz")).toStdString());
}
