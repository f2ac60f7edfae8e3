#include "document/SheetFonts.h"

#include <QFontDatabase>
#include <QStringList>

static void initDocumentResources()
{
    Q_INIT_RESOURCE(document);
}

namespace SheetFonts {

bool registerFonts()
{
    static int loaded = -1;
    if (loaded >= 0)
        return loaded == 4;
    initDocumentResources();
    loaded = 0;
    const QStringList files = {
        QStringLiteral(":/fonts/LiberationSans-Regular.ttf"),
        QStringLiteral(":/fonts/LiberationSans-Bold.ttf"),
        QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"),
        QStringLiteral(":/fonts/LiberationSerif-Bold.ttf"),
    };
    for (const QString &file : files)
        if (QFontDatabase::addApplicationFont(file) >= 0)
            ++loaded;
    return loaded == 4;
}

QString sansFamily()
{
    return QStringLiteral("Liberation Sans");
}

QString serifFamily()
{
    return QStringLiteral("Liberation Serif");
}

} // namespace SheetFonts
