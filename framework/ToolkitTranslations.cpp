#include "ToolkitTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace orvane {

ToolkitTranslations::ToolkitTranslations() {
  // Without Qt's catalogue installed, the toolkit's words stay in English.
  if (qt_.load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qt_);
  // Installed last, so it is asked first.
  if (overrides_.load(QStringLiteral(":/orvane/i18n/qtbase_pt_PT.qm")))
    QCoreApplication::installTranslator(&overrides_);
}

}  // namespace orvane
