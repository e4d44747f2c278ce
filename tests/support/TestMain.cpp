#include <gtest/gtest.h>
#include <QGuiApplication>

// Every test program runs with a GUI application object (offscreen platform)
// so that fonts and painting work; the model tests simply do not use it.
// The ui test program links its own main with a QApplication instead.
__attribute__((weak)) int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
