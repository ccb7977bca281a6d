#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "controls/LEDS.h"
#include "controls/UserControl1.h"
#include "services/LauncherMarker.h"
#include "services/QtMessageService.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"

#include <unistd.h>

using namespace neva;
using U = UserControl1;

TEST(UserControl1, LampsChangeOnlyOnActualizarAndDesactivarKeepsValues) {
    U u;
    u.setTrip(255);
    u.setPickUpIo50(1);
    EXPECT_FALSE(u.lampara_activa(U::kTrip));  // stored, not shown yet
    u.Actualizar();
    for (int i = 0; i < U::kIndicadores; ++i) {
        const auto ind = static_cast<U::Indicador>(i);
        EXPECT_EQ(u.lampara_activa(ind), ind == U::kTrip || ind == U::kPickUpIo50) << U::rotulo(ind);
    }
    u.Desactivar();
    EXPECT_FALSE(u.lampara_activa(U::kTrip));
    EXPECT_EQ(u.Trip(), 255);
    // It paints without pictures from anywhere.
    u.resize(u.sizeHint());
    EXPECT_FALSE(u.grab().toImage().isNull());
}

TEST(LEDS, BlinksWhileCommunicatingAndStopsOtherwise) {
    SharedState st;
    LEDS led(st);
    st.En_Linea = true;
    led.Tick();
    EXPECT_TRUE(led.image2_visible());
    led.Tick();
    EXPECT_TRUE(led.image1_visible());
    st.En_Linea = false;
    led.setInterval(250);
    led.Tick();
    EXPECT_FALSE(led.Enabled());
    EXPECT_TRUE(led.image1_visible());
}

TEST(SplashAndAbout, ShowTheBuildVersionAndClose) {
    frmSplash s;
    EXPECT_EQ(s.lblVersion->text(), "Version 2.0.2");
    s.show();
    QTest::keyClick(&s, Qt::Key_Space);
    EXPECT_FALSE(s.isVisible());
    EXPECT_TRUE(s.cerrado_por_usuario());

    frmAbout a;
    EXPECT_EQ(a.lblVersion->text(), "Version: 2.0.2");
}

TEST(QtMessageService, FileFiltersBecomeQtNameFilters) {
    // The save dialog's text has a blank before "All".
    EXPECT_EQ(QtMessageService::qt_filters("NEVA Files (*.NEVA2)|*.NEVA2| All Files (*.*)|*.*|"),
              QStringList({"NEVA Files (*.NEVA2)", "All Files (*)"}));
    EXPECT_EQ(QtMessageService::qt_filters("Text|*.txt;*.log"), QStringList({"Text (*.txt *.log)"}));
    EXPECT_TRUE(QtMessageService::qt_filters("").isEmpty());
}

TEST(LauncherMarker, WritesOneRecordAndNeverThroughALink) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("marker").toStdString();
    qputenv("NEVA_MARKER_FILE", QByteArray::fromStdString(path));
    EXPECT_EQ(LauncherMarker::default_path(), path);
    qunsetenv("NEVA_MARKER_FILE");

    LauncherMarker m(path);
    ASSERT_TRUE(m.write(LauncherMarker::kActivada)) << m.last_error();
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\x01\x00", 2));
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)) & QFileDevice::ReadOther, 0);

    // Someone plants a link to a file of ours: it is left alone.
    const std::string victim = dir.filePath("victim").toStdString();
    {
        QFile v(QString::fromStdString(victim));
        ASSERT_TRUE(v.open(QIODevice::WriteOnly));
        v.write("precious");
    }
    const std::string planted = dir.filePath("planted").toStdString();
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    LauncherMarker bad(planted);
    EXPECT_FALSE(bad.write(LauncherMarker::kDescargada));
    QFile v(QString::fromStdString(victim));
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), QByteArray("precious"));

    // A directory in the way is refused too.
    EXPECT_FALSE(LauncherMarker(dir.path().toStdString()).write(1));
}
