#include "archive/QrWindow.h"

#include "dialogkit/Message.h"
#include "document/DocumentFill.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The code, drawn by QrSymbol::draw at a whole number of pixels a module.
class SymbolView : public QWidget
{
public:
    SymbolView(const QrSymbol &symbol, int modulePixels, QWidget *parent)
        : QWidget(parent), m_symbol(symbol)
    {
        const int side = symbol.sideModules() * modulePixels;
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_symbol.draw(painter, QRectF(rect()));
    }

private:
    const QrSymbol &m_symbol;
};

// About 360 pixels for the code, never under the minimum a module.
int modulePixelsFor(const QrSymbol &symbol)
{
    return qMax(QrWindow::MinModulePixels, 360 / qMax(1, symbol.sideModules()));
}

QString amountText(const QString &amount)
{
    const QString words = DocumentFill::amountInWords(amount);
    return QStringLiteral("Сумма: %1 грн %2").arg(amount, words);
}

} // namespace

QrWindow::QrWindow(const OrderRecord &order, const Requisites &payer, QWidget *parent)
    : QDialog(parent)
    , m_payload(PaymentQr::build(order, payer))
{
    setObjectName(QStringLiteral("QrWindow"));
    setWindowTitle(QStringLiteral(" QR-код поручения № %1").arg(order.id));
    if (m_payload.hasCode())
        m_symbol = QrSymbol::encode(m_payload.link.toLatin1());
    m_modulePixels = modulePixelsFor(m_symbol);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (hasCode()) {
        auto *view = new SymbolView(m_symbol, m_modulePixels, this);
        view->setObjectName(QStringLiteral("QrCode"));
        layout->addWidget(view, 0, Qt::AlignHCenter);
    }
    layout->addWidget(addText("QrRecipient", QStringLiteral("Получатель: ") + order.oderz.simplified()));
    layout->addWidget(addText("QrAmount", amountText(order.suma)));
    layout->addWidget(addText("QrPurpose", QStringLiteral("Назначение: ")
                                                   + (hasCode() ? m_payload.purpose : order.oznaka.simplified())));
    QLabel *note = addText("QrNote", noteText());
    note->setVisible(!note->text().isEmpty());
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const char *name, const QString &caption, void (QrWindow::*click)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, click);
        buttons->addWidget(b);
        return b;
    };
    button("QrCopyLink", QStringLiteral("Копировать ссылку"), &QrWindow::copyLink)->setEnabled(hasCode());
    button("QrSave", QStringLiteral("Сохранить..."), &QrWindow::saveAs)->setEnabled(hasCode());
    buttons->addStretch();
    button("QrClose", QStringLiteral("Закрыть"), &QDialog::reject);
    layout->addLayout(buttons);
}

QLabel *QrWindow::addText(const char *name, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMaximumWidth(qMax(360, m_symbol.sideModules() * m_modulePixels));
    return label;
}

QString QrWindow::noteText() const
{
    if (!m_payload.hasCode())
        return QStringLiteral("Кода нет: ") + m_payload.reasons.join(QLatin1Char(' '));
    if (m_symbol.isNull())
        return QStringLiteral("Кода нет: ") + m_symbol.errorText();
    if (m_payload.purposeCut)
        return QStringLiteral("Назначение платежа не помещается в код целиком: в коде оно сокращено "
                              "по границе слова до %1 знаков (формат допускает не больше %2).")
                .arg(m_payload.purpose.size()).arg(PaymentQr::PurposeLimit);
    return QString();
}

void QrWindow::copyLink()
{
    if (hasCode())
        QGuiApplication::clipboard()->setText(m_payload.link);
}

void QrWindow::saveAs()
{
    if (!hasCode())
        return;
    QString filter;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить QR-код"), QString(),
                                                QStringLiteral("Рисунок PNG (*.png);;Рисунок SVG (*.svg)"),
                                                &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QLatin1String("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    saveTo(path);
}

bool QrWindow::saveTo(const QString &path)
{
    QString error;
    // The file keeps the on-screen size: at least four pixels a module.
    if (m_symbol.save(path, m_modulePixels, &error))
        return true;
    DialogKit::show(this, DialogKit::failure(QStringLiteral("QR-код не сохранен в файл %1.")
                                                     .arg(QDir::toNativeSeparators(path)),
                                             error));
    return false;
}
