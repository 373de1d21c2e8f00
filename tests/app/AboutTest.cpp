#include <QDir>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "app/TFrmAbout.h"

namespace {
QString LabelText(const QWidget& w, const char* name) {
    auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QString();
}
}  // namespace

TEST(AboutBox, ShowsProductVersionAndTheMachine) {
    TFrmAbout box;
    EXPECT_EQ(LabelText(box, "product"), QStringLiteral("Tabulon"));
    EXPECT_TRUE(LabelText(box, "version").contains(QStringLiteral("00.05")));
    EXPECT_EQ(LabelText(box, "fileVersion"), QStringLiteral("00.05"));
    const QString cpu = LabelText(box, "processor");
    EXPECT_FALSE(cpu.isEmpty());
    EXPECT_NE(cpu, QStringLiteral("unknown"));  // every Linux has /proc/cpuinfo
    EXPECT_TRUE(LabelText(box, "memory").contains(QStringLiteral(" MB")));
    EXPECT_TRUE(LabelText(box, "disk").contains(QStringLiteral("MB free")));
    EXPECT_TRUE(LabelText(box, "display").contains(QStringLiteral(" x ")));
    EXPECT_FALSE(LabelText(box, "user").isEmpty());
    EXPECT_FALSE(LabelText(box, "computer").isEmpty());

    box.show();
    QApplication::processEvents();
    QDir().mkpath(SCREENSHOT_DIR);
    EXPECT_TRUE(box.grab().save(SCREENSHOT_DIR "/about.png"));
}
