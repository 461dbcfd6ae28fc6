#include "window/markpictures.h"

#include "render/markdrawing.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <functional>

namespace tetrafot {

namespace {

// A toolbar icon drawn afresh at every size and scale a button asks for.
class DrawnIcon : public QIconEngine {
public:
    using Drawing = std::function<void(QPainter&)>;
    explicit DrawnIcon(Drawing draw) : m_draw(std::move(draw)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 22.0, rect.height() / 22.0);
        m_draw(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(0, 0), size), mode, state);
        }
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QApplication::palette();
            return QApplication::style()->generatedIconPixmap(QIcon::Disabled, pm, &option);
        }
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIcon(m_draw); }

private:
    Drawing m_draw;
};

} // namespace

QPixmap MarkPicture(int code, double ratio)
{
    return QPixmap::fromImage(MarkImage(code, ratio));
}

QPixmap RawMarkPicture(double ratio)
{
    return QPixmap::fromImage(RawMarkImage(ratio));
}

QPixmap ReadOnlyMarkPicture(double ratio)
{
    return QPixmap::fromImage(ReadOnlyMarkImage(ratio));
}

QPixmap PinMarkPicture(double ratio)
{
    return QPixmap::fromImage(PinMarkImage(ratio));
}

QIcon ToolbarIcon(int index)
{
    return QIcon(new DrawnIcon([index](QPainter& p) { PaintToolbarPicture(p, index); }));
}

QIcon ExitIcon()
{
    return QIcon(new DrawnIcon(PaintExitPicture));
}

} // namespace tetrafot
