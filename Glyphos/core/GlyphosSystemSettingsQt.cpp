// The editor reads its installation folder through QSettings itself, so
// that a folder given to QSettings::setPath is looked in as well; the
// command line reads the same file without Qt (GlyphosSystemSettings.cpp).
#include "GlyphosSystemSettings.h"

#include <QSettings>
#include <QString>
#include <QVariant>

namespace {
QSettings SystemSettings() {
    return QSettings(QSettings::IniFormat, QSettings::SystemScope,
                     QString::fromLatin1(GlyphosSystemSettings::kOrganization),
                     QString::fromLatin1(GlyphosSystemSettings::kApplication));
}

CString FromQ(const QString& s) { return CString(s.toStdWString()); }
}  // namespace

std::optional<CString> GlyphosSystemSettings::ProgramPathQt() {
    const QSettings system = SystemSettings();
    const QVariant v = system.value(QStringLiteral("App. settings/Path"));
    if (!v.isValid() || v.typeId() != QMetaType::QString || v.toString().isEmpty()) return std::nullopt;
    // The configuration reader joins folder and file name as they are.
    QString path = v.toString();
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return FromQ(path);
}

CString GlyphosSystemSettings::KeyDescriptionQt() { return FromQ(SystemSettings().fileName()) + L" [App. settings] Path"; }
