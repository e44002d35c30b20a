#include "PreviewPane.h"

#include "PainterCanvas.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
// Previews are laid out at the resolution window sizes are counted in (15 twips a pixel), so
// a canvas of 120 x 60 cells is 960 x 960 pixels on every screen.
constexpr int PreviewDpi = 96;
constexpr int CanvasBorder = 2;
} // namespace

PreviewCanvasWidget::PreviewCanvasWidget(QWidget* parent, const QSize& outer, int border, int dpi,
                                         const CanvasFont& font)
    : QWidget(parent), mBorder(border)
{
    mDotsPerMeter = int(std::lround(dpi / 0.0254));
    resizeOuter(outer);
    mCanvas = std::make_unique<PainterCanvas>(&mImage, font);
}

void PreviewCanvasWidget::resizeOuter(const QSize& outer)
{
    // The canvas draws on mImage itself, so the picture is replaced in place, its painter closed.
    if (mCanvas) mCanvas->finish();
    resize(outer);
    mImage = QImage(std::max(1, outer.width() - 2 * mBorder), std::max(1, outer.height() - 2 * mBorder),
                    QImage::Format_RGB32);
    mImage.setDotsPerMeterX(mDotsPerMeter);
    mImage.setDotsPerMeterY(mDotsPerMeter);
    mImage.fill(Qt::white);
    update();
}

PreviewCanvasWidget::~PreviewCanvasWidget() = default;

const QImage& PreviewCanvasWidget::picture()
{
    mCanvas->finish();
    return mImage;
}

void PreviewCanvasWidget::paintEvent(QPaintEvent*)
{
    mCanvas->finish();
    QPainter p(this);
    // A sunken border like the viewport's, then the picture inside it.
    p.fillRect(rect(), palette().color(QPalette::Mid));
    p.fillRect(QRect(0, 0, width(), mBorder), palette().color(QPalette::Dark));
    p.fillRect(QRect(0, 0, mBorder, height()), palette().color(QPalette::Dark));
    p.drawImage(QPoint(mBorder, mBorder), mImage);
}

PreviewPane::PreviewPane(QWidget* window, const QRect& viewport, int canvasCount, int columns, int rows,
                         const CanvasFont& canvasFont, const QPoint& minimumSize)
    : QObject(window), mWindow(window), mColumns(columns), mRows(rows)
{
    mFrame = new QFrame(window);
    mFrame->setObjectName(QStringLiteral("viewport"));
    mFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mFrame->setLineWidth(2);
    mFrame->setGeometry(viewport);
    mFrame->setAutoFillBackground(true);
    QPalette pal = mFrame->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Mid));
    mFrame->setPalette(pal);
    mBorderX = (mFrame->width() - mFrame->contentsRect().width()) / 2;
    mBorderY = (mFrame->height() - mFrame->contentsRect().height()) / 2;

    // The canvases are seen through the inside of the viewport's border.
    mInside = new QWidget(mFrame);
    placeInside();

    const QSize outer = canvasOuterSize();
    for (int i = 0; i < canvasCount; ++i) {
        auto* canvas = new PreviewCanvasWidget(mInside, outer, CanvasBorder, PreviewDpi, canvasFont);
        canvas->setObjectName(QStringLiteral("page%1").arg(i));
        // Its own border lies under the viewport's.
        canvas->move(-mBorderX, -mBorderY);
        mCanvases.append(canvas);
    }

    mVerticalBar = new QScrollBar(Qt::Vertical, window);
    mVerticalBar->setObjectName(QStringLiteral("verticalBar"));
    mHorizontalBar = new QScrollBar(Qt::Horizontal, window);
    mHorizontalBar->setObjectName(QStringLiteral("horizontalBar"));
    const QFontMetrics fm(mFrame->font());
    const int stepY = fm.height();
    const int stepX = fm.horizontalAdvance(u'A');
    mVerticalBar->setSingleStep(stepY);
    mVerticalBar->setPageStep(5 * stepY);
    mHorizontalBar->setSingleStep(stepX);
    mHorizontalBar->setPageStep(5 * stepX);
    connect(mVerticalBar, &QScrollBar::valueChanged, this, &PreviewPane::onVerticalScrolled);
    connect(mHorizontalBar, &QScrollBar::valueChanged, this, &PreviewPane::onHorizontalScrolled);

    // The wheel anywhere over the page scrolls it, not only over the scroll bars.
    mFrame->installEventFilter(this);
    mInside->installEventFilter(this);
    for (PreviewCanvasWidget* canvas : std::as_const(mCanvases))
        canvas->installEventFilter(this);

    mMinSizeLabel = new QLabel(QStringLiteral("MinSize"), window);
    mMinSizeLabel->setObjectName(QStringLiteral("minSize"));
    mMinSizeLabel->move(minimumSize);
    mMinSizeLabel->setVisible(false);
    mWindow->setMinimumSize(minimumSize.x(), minimumSize.y());

    fitToWindow();
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel &&
        (watched == mFrame || watched == mInside || mCanvases.contains(qobject_cast<PreviewCanvasWidget*>(watched)))) {
        scrollByWheel(*static_cast<QWheelEvent*>(event));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PreviewPane::scrollByWheel(const QWheelEvent& event)
{
    // One notch is one small step of the bar; Shift turns the wheel sideways (some platforms
    // already deliver that as a horizontal angle).
    const QPoint angle = event.angleDelta();
    const bool sideways = (event.modifiers() & Qt::ShiftModifier) || (angle.y() == 0 && angle.x() != 0);
    QScrollBar* bar = sideways ? mHorizontalBar : mVerticalBar;
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    int& rest = sideways ? mWheelRestX : mWheelRestY;
    rest += delta;
    const int notches = rest / QWheelEvent::DefaultDeltasPerStep;
    rest -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0) bar->setValue(bar->value() - notches * bar->singleStep());
}

PainterCanvas& PreviewPane::canvas(int index)
{
    return mCanvases.at(std::clamp(index, 0, int(mCanvases.size()) - 1))->canvas();
}

QSize PreviewPane::canvasOuterSize() const
{
    return QSize(int(std::lround(mColumns * PreviewDpi / PageCanvas::ColumnsPerInch)),
                 int(std::lround(mRows * PreviewDpi / PageCanvas::RowsPerInch)));
}

void PreviewPane::SetCanvasRows(int rows)
{
    if (rows < 1 || rows == mRows) return;
    mRows = rows;
    for (PreviewCanvasWidget* canvas : mCanvases)
        canvas->resizeOuter(canvasOuterSize());
    UpdateScrollRanges();
}

void PreviewPane::SetCanvasCells(int columns, int rows)
{
    if (columns < 1 || rows < 1 || (columns == mColumns && rows == mRows)) return;
    mColumns = columns;
    mRows = rows;
    for (PreviewCanvasWidget* canvas : mCanvases)
        canvas->resizeOuter(canvasOuterSize());
    UpdateScrollRanges();
}

void PreviewPane::placeInside()
{
    mInside->setGeometry(mFrame->contentsRect());
}

void PreviewPane::fitToWindow()
{
    // Never smaller than mMinSizeLabel: a smaller size is set back.
    const int minW = mMinSizeLabel->x();
    const int minH = mMinSizeLabel->y();
    if (mWindow->width() < minW || mWindow->height() < minH)
        mWindow->resize(std::max(mWindow->width(), minW), std::max(mWindow->height(), minH));
    const int left = mFrame->x();
    const int top = mFrame->y();
    const int barW = mVerticalBar->sizeHint().width();
    const int barH = mHorizontalBar->sizeHint().height();
    const int w = std::max(2 * mBorderX + 1, mWindow->width() - 2 * left - barW);
    const int h = std::max(2 * mBorderY + 1, mWindow->height() - top - left - barH);
    mFrame->setGeometry(left, top, w, h);
    placeInside();
    mVerticalBar->setGeometry(left + w, top, barW, h);
    mHorizontalBar->setGeometry(left, top + h, w, barH);
    UpdateScrollRanges();
}

void PreviewPane::UpdateScrollRanges()
{
    if (mCanvases.isEmpty()) return;
    const QWidget* canvas = mCanvases.first();
    const QRect inside = mFrame->contentsRect();
    mVerticalBar->setMaximum(std::max(0, canvas->height() - inside.height()));
    mHorizontalBar->setMaximum(std::max(0, canvas->width() - inside.width()));
    // A range that shrank may leave the canvases where the old value put them.
    onVerticalScrolled(mVerticalBar->value());
    onHorizontalScrolled(mHorizontalBar->value());
}

void PreviewPane::ResetScroll()
{
    mVerticalBar->setValue(0);
    mHorizontalBar->setValue(0);
    onVerticalScrolled(0);
    onHorizontalScrolled(0);
}

void PreviewPane::BringToFront(int index)
{
    if (index >= 0 && index < mCanvases.size()) mCanvases.at(index)->raise();
}

void PreviewPane::Refresh()
{
    for (PreviewCanvasWidget* canvas : mCanvases) {
        canvas->canvas().finish();
        canvas->update();
    }
}

void PreviewPane::onVerticalScrolled(int value)
{
    for (PreviewCanvasWidget* canvas : mCanvases)
        canvas->move(canvas->x(), -value - mBorderY);
}

void PreviewPane::onHorizontalScrolled(int value)
{
    for (PreviewCanvasWidget* canvas : mCanvases)
        canvas->move(-value - mBorderX, canvas->y());
}

} // namespace seiran
