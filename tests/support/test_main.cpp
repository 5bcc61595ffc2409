// Test entry point shared by every test program: a private program folder per run and an
// offscreen Qt application, so no test touches the user's files or needs a display.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string home = (std::filesystem::temp_directory_path() / "quillark-test-XXXXXX").string();
    if (!mkdtemp(home.data())) {
        return 2;
    }
    setenv("QUILLARK_HOME", home.c_str(), 1);

    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
