#pragma once
// The one QApplication of the GUI test program: made on first use by
// whichever test needs it first, and destroyed after the last test, before
// the program exits (a QApplication left alive leaks the font
// configuration, which the leak checker then reports).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace gw::test {

class GuiTestAppEnvironment : public ::testing::Environment {
public:
    QApplication& App() {
        if (!QApplication::instance()) m_app = std::make_unique<QApplication>(m_argc, m_argv);
        return *static_cast<QApplication*>(QApplication::instance());
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[19] = "grabwell_gui_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Registered before the tests run; gtest owns and tears it down.
inline GuiTestAppEnvironment* const g_guiTestApp =
    static_cast<GuiTestAppEnvironment*>(::testing::AddGlobalTestEnvironment(new GuiTestAppEnvironment));

// What the windows remember goes to a scratch folder of this test run, and
// every test starts from nothing remembered, as a first start does.
class ScratchSettings : public ::testing::EmptyTestEventListener {
public:
    ScratchSettings() {
        QCoreApplication::setOrganizationName("grabwell"); // as the program names itself
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.path());
    }
    void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
    QString Folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};

inline ScratchSettings* const g_scratchSettings = [] {
    auto* settings = new ScratchSettings;
    ::testing::UnitTest::GetInstance()->listeners().Append(settings);
    return settings;
}();

inline QApplication& GuiTestApp() { return g_guiTestApp->App(); }

// Saves a picture of the window, once pending layout work is done, as
// build/screenshots/<name>.png.
inline void SaveScreenshot(QWidget& window, const QString& name) {
    QApplication::processEvents();
    QDir().mkpath(GRABWELL_SCREENSHOTS);
    EXPECT_TRUE(window.grab().save(QStringLiteral(GRABWELL_SCREENSHOTS "/%1.png").arg(name)));
}

} // namespace gw::test
