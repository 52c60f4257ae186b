#pragma once

#include "app/frmruntally.h"
#include "fakeplatform.h"
#include "platform/exitstatus.h"
#include "report/tempreports.h"
#include "testfiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A real window over a fake platform, a temporary program folder and a user-data folder.
class Window : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program);
        fake.programFolderPath = program;
        fake.dataFolderPath = root.filePath(QStringLiteral("data"));
        fake.setting = root.filePath(QStringLiteral("user"));
    }
    void TearDown() override {
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible())
                << "left open: " << widget->windowTitle().toStdString();
    }

    void useLog(const char* name) {
        testfiles::write(fake.setting + QStringLiteral("/mvsys.log"),
                         testfiles::read(testfiles::dataPath(QLatin1String(name) + ".log")));
    }
    template <typename T> T* control(const char* name) {
        T* widget = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QStringList listItems() {
        QStringList items;
        auto* list = control<QComboBox>("lstDaily");
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        return items;
    }
    QString reportTemp() const { return report::reportTempPath(program); }
    QString csvTemp() const { return report::csvTempPath(program); }

    QTemporaryDir root;
    QString program = root.filePath(QStringLiteral("program"));
    FakePlatform fake;
    frmRuntally window{fake};
};
