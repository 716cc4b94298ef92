#include "gui/WindowPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSize>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

#include "platform/Paths.h"

namespace gw {

namespace {

QRect AvailableArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QSize Fitted(QSize size, const QRect& area) {
    if (area.isEmpty()) return size;
    return {std::min(size.width(), area.width()), std::min(size.height(), area.height())};
}

// A folder to offer for writing: one the user can write, and not a system
// folder (which the superuser can write, but should only pick on purpose).
QString Writable(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isWritable()) return QString();
    return IsSystemFolder(QFile::encodeName(info.absoluteFilePath()).toStdString()) ? QString() : folder;
}

} // namespace

QVariant Remembered(const QString& key, const QVariant& fallback) {
    const QSettings settings;
    if (settings.status() != QSettings::NoError) return fallback;
    const QVariant value = settings.value(key);
    return value.isValid() ? value : fallback;
}

void Remember(const QString& key, const QVariant& value) {
    QSettings settings;
    settings.setValue(key, value);
}

void FitWindowToScreen(QWidget& window) {
    const QSize fitted = Fitted(window.size(), AvailableArea(window));
    if (fitted != window.size()) window.resize(fitted);
}

QVariant RememberedPlace(const PlacesKey& key, const QString& name, const QVariant& fallback) {
    QSettings settings;
    if (settings.status() != QSettings::NoError) return fallback;
    const QString roleKey = key.role + "/" + name;
    QVariant value = settings.value(roleKey);
    if (!value.isValid() && !key.former.isEmpty()) {
        const QString formerKey = key.former + "/" + name;
        value = settings.value(formerKey);
        if (value.isValid()) {
            settings.setValue(roleKey, value);
            settings.remove(formerKey);
        }
    }
    return value.isValid() ? value : fallback;
}

void RememberPlace(const PlacesKey& key, const QString& name, const QVariant& value) {
    Remember(key.role + "/" + name, value);
}

void RestoreWindowSize(QWidget& window, const PlacesKey& key) {
    const QSize size = RememberedPlace(key, "size").toSize();
    if (size.isValid() && size.width() > 0 && size.height() > 0) window.resize(size);
    FitWindowToScreen(window);
}

void RememberWindowSize(const QWidget& window, const PlacesKey& key) { RememberPlace(key, "size", window.size()); }

QSize FirstStartSize(QSize designed, QSize available) {
    if (designed.isEmpty() || available.isEmpty()) return designed;
    const double grow = std::max(1.0, std::min(0.6 * available.width() / designed.width(),
                                               0.7 * available.height() / designed.height()));
    return {std::min(int(designed.width() * grow), available.width()),
            std::min(int(designed.height() * grow), available.height())};
}

QString StartFolder(const QString& kind, const QString& fallback) {
    const QString last = Remembered("folders/" + kind).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    if (const QString writable = Writable(fallback); !writable.isEmpty()) return writable;
    if (const QString pictures = Writable(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        !pictures.isEmpty())
        return pictures;
    return QDir::homePath();
}

void RememberFolder(const QString& kind, const QString& folder) {
    if (!folder.isEmpty()) Remember("folders/" + kind, folder);
}

} // namespace gw
