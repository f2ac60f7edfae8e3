// Build step: writes the program's icon for the desktop menu, as PNG files
// and as the scalable vexaron.svg, from the very drawing the program shows in
// its title bar.
//
//   vexa_icon OUTDIR SIZE...   writes OUTDIR/vexaron-SIZE.png for each size
//                              and OUTDIR/vexaron.svg
//
// Needs no display: run it with QT_QPA_PLATFORM=offscreen.
#include "app/Icons.h"
#include "document/SheetFonts.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QTextStream>

namespace {

bool writeSvg(const QString &file)
{
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Vexaron"));
    svg.setDescription(QStringLiteral("A payment order with a hryvnia sign on a green stamp"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    Icons::drawProgramIcon(painter);
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    QTextStream err(stderr);
    if (args.size() < 2) {
        err << "usage: vexa_icon OUTDIR SIZE...\n";
        return 2;
    }
    const QDir out(args.takeFirst());
    if (!out.mkpath(QStringLiteral("."))) {
        err << "vexa_icon: cannot make " << out.path() << '\n';
        return 1;
    }
    // The same faces as the running program, so the hryvnia sign on the
    // stamp looks the same whatever fonts the build machine has.
    if (!SheetFonts::registerFonts()) {
        err << "vexa_icon: the shipped fonts could not be loaded\n";
        return 1;
    }
    const QString svgFile = out.filePath(QStringLiteral("vexaron.svg"));
    if (!writeSvg(svgFile)) {
        err << "vexa_icon: cannot write " << svgFile << '\n';
        return 1;
    }
    for (const QString &arg : args) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            err << "vexa_icon: not a size: " << arg << '\n';
            return 2;
        }
        const QString file = out.filePath(QStringLiteral("vexaron-%1.png").arg(size));
        const QPixmap pixmap = Icons::programPixmap(size);
        if (pixmap.isNull() || !pixmap.save(file, "PNG")) {
            err << "vexa_icon: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
