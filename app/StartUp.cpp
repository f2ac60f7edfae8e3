#include "app/StartUp.h"

#include "app/MDIForm1.h"
#include "document/SheetFonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QThread>
#include <QTranslator>

namespace {

// The application's style (whichever the platform or the user chose) with
// two changes that keep work off the way of the main window's first
// appearance; what it draws is the style's own.
class ProgramStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    // The few standard icons the main window's widgets ask for while they
    // are built (the menu bar's and the toolbar's overflow arrows, the
    // document frame's title-bar buttons) come from the style's built-in
    // pixmaps. Asked for as icons, Qt reads them from image files and, to
    // do so, loads every image-format plugin installed: a few milliseconds
    // for arrows and buttons that are almost never seen.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        switch (icon) {
        case SP_TitleBarMenuButton:
        case SP_TitleBarMinButton:
        case SP_TitleBarMaxButton:
        case SP_TitleBarCloseButton:
        case SP_TitleBarNormalButton:
        case SP_TitleBarShadeButton:
        case SP_TitleBarUnshadeButton:
        case SP_TitleBarContextHelpButton:
        case SP_ToolBarHorizontalExtensionButton:
        case SP_ToolBarVerticalExtensionButton: {
            const QPixmap pixmap = baseStyle()->standardPixmap(icon, option, widget);
            if (!pixmap.isNull())
                return QIcon(pixmap);
            break;
        }
        default:
            break;
        }
        return QProxyStyle::standardIcon(icon, option, widget);
    }

    // The raster engine hands a one-pixel line longer than about a hundred
    // pixels to a pool of worker threads and waits for them. The toolbar's
    // bevel lines run the whole width of the maximized window, so its first
    // paint would start threads and park the GUI thread on them. Drawn in
    // strips narrower than that, the same pixels come out on this thread.
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        constexpr int Strip = 64; // pixels
        const QRect all = option->rect;
        const bool horizontal = option->state & State_Horizontal;
        if (element != CE_ToolBar || (horizontal ? all.width() : all.height()) <= Strip) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        for (int from = 0; from < (horizontal ? all.width() : all.height()); from += Strip) {
            painter->save();
            painter->setClipRect(horizontal ? QRect(all.left() + from, all.top(), Strip, all.height())
                                            : QRect(all.left(), all.top() + from, all.width(), Strip),
                                 Qt::IntersectClip);
            QProxyStyle::drawControl(element, option, painter, widget);
            painter->restore();
        }
    }
};

} // namespace

std::unique_ptr<MDIForm1> ShowMainWindow(const QString &programFolder)
{
    // Wraps whatever style the platform or the user chose, once per run.
    if (!dynamic_cast<ProgramStyle *>(QApplication::style()))
        QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));

    auto main = std::make_unique<MDIForm1>(programFolder);
    if (!main->MDIForm_Load())
        return nullptr;
    main->showMaximized();
    QCoreApplication::processEvents(); // let the main window appear before the pause
    return main;
}

std::unique_ptr<MDIForm1> StartUp(const QString &programFolder, int pauseMs)
{
    auto main = ShowMainWindow(programFolder);
    if (!main)
        return nullptr;

    // The sheet's own faces are first drawn by the document window, which
    // appears after the pause; the main window needs none of them, so it is
    // shown before they are loaded.
    SheetFonts::registerFonts();

    // A plain blocking wait: the main window does not respond during it.
    if (pauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(pauseMs));

    main->showDocumentWindow();
    return main;
}

bool loadToolkitTranslations()
{
    static QTranslator *translator = nullptr;
    if (translator)
        return true;
    auto *loaded = new QTranslator(qApp);
    if (!loaded->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

int RunProgram(const QString &programFolder)
{
    loadToolkitTranslations();
    const auto main = StartUp(programFolder);
    if (!main)
        return 1;
    return QApplication::exec();
}
