#include "platform/forms/modal_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

// A dialog that records the keys it previews.
class RecordingForm : public platform::DialogForm {
public:
    void Form_KeyPress(int keyAscii) override { keys.push_back(keyAscii); }
    std::vector<int> keys;
};

struct ModalDialogTest : testing::Test {
    ~ModalDialogTest() override { platform::SetModalDialogHook(nullptr); }
};

}  // namespace

TEST_F(ModalDialogTest, HookAnswersWithoutBlocking)
{
    RecordingForm form;
    platform::SetModalDialogHook([](QDialog &dialog) { dialog.accept(); });
    EXPECT_EQ(platform::ShowModal(form), QDialog::Accepted);
    // What the hook leaves open is cancelled, also after an earlier acceptance.
    int calls = 0;
    platform::SetModalDialogHook([&](QDialog &) { ++calls; });
    EXPECT_EQ(platform::ShowModal(form), QDialog::Rejected);
    EXPECT_EQ(calls, 1);
}

TEST_F(ModalDialogTest, EscapeReachesTheFormInsteadOfClosingIt)
{
    RecordingForm form;
    form.setResult(QDialog::Accepted);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &escape);
    EXPECT_EQ(form.keys, std::vector<int>{27});
    EXPECT_EQ(form.result(), QDialog::Accepted);
}
