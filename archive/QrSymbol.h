#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

class QPainter;
class QRectF;

// A QR symbol made by libqrencode, and the one routine that draws it with
// the hryvnia mark in a white circle at its centre, as the National Bank's
// rules ask of its payment codes. The screen, the PNG and the SVG files all
// come from that routine.
class QrSymbol
{
public:
    // The rules allow versions 10 to 20 and error correction Q, M or L, the
    // strongest that fits; the mark hides about 3 % of the modules, which
    // every one of them restores.
    static constexpr int MinVersion = 10;
    static constexpr int MaxVersion = 20;
    // Light modules around the symbol on every side.
    static constexpr int QuietZone = 4;

    // The symbol for data; isNull() when it does not fit version 20 even
    // with level L, or libqrencode fails (errorText() says which).
    static QrSymbol encode(const QByteArray &data);

    bool isNull() const { return m_width == 0; }
    QString errorText() const { return m_error; }
    int width() const { return m_width; }   // modules on a side, without the quiet zone
    int version() const { return m_version; }
    char level() const { return m_level; }  // 'Q', 'M' or 'L'
    bool dark(int x, int y) const { return m_dark.at(y * m_width + x) != 0; }

    // Modules on a side with the quiet zone.
    int sideModules() const { return m_width + 2 * QuietZone; }

    // Draws the symbol, quiet zone included, into the square area.
    void draw(QPainter &painter, const QRectF &area) const;

    // The symbol as an image, modulePixels per module.
    QImage image(int modulePixels) const;
    // Writes the symbol as PNG or SVG, by the file name's suffix; false
    // with a reason in *error.
    bool save(const QString &path, int modulePixels, QString *error) const;

private:
    int m_width = 0;
    int m_version = 0;
    char m_level = 0;
    QVector<char> m_dark;
    QString m_error;
};
