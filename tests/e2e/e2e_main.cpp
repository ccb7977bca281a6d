// The end-to-end tests need a Qt event loop: QSerialPort and QTimer deliver their
// events through it.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The programs under test keep a settings history in the user's data folder:
    // theirs goes to a folder of the run's own.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
