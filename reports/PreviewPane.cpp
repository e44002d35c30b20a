#include "PreviewPane.h"

#include "PainterCanvas.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
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
    picWindow = new QFrame(window);
    picWindow->setObjectName(QStringLiteral("picWindow"));
    picWindow->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picWindow->setLineWidth(2);
    picWindow->setGeometry(viewport);
    picWindow->setAutoFillBackground(true);
    QPalette pal = picWindow->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Mid));
    picWindow->setPalette(pal);
    mBorderX = (picWindow->width() - picWindow->contentsRect().width()) / 2;
    mBorderY = (picWindow->height() - picWindow->contentsRect().height()) / 2;

    // The canvases are seen through the inside of the viewport's border.
    mInside = new QWidget(picWindow);
    placeInside();

    const QSize outer = canvasOuterSize();
    for (int i = 0; i < canvasCount; ++i) {
        auto* canvas = new PreviewCanvasWidget(mInside, outer, CanvasBorder, PreviewDpi, canvasFont);
        canvas->setObjectName(QStringLiteral("picScreen%1").arg(i));
        // Its own border lies under the viewport's.
        canvas->move(-mBorderX, -mBorderY);
        picScreen.append(canvas);
    }

    VScroll1 = new QScrollBar(Qt::Vertical, window);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    HScroll1 = new QScrollBar(Qt::Horizontal, window);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    const QFontMetrics fm(picWindow->font());
    const int stepY = fm.height();
    const int stepX = fm.horizontalAdvance(u'A');
    VScroll1->setSingleStep(stepY);
    VScroll1->setPageStep(5 * stepY);
    HScroll1->setSingleStep(stepX);
    HScroll1->setPageStep(5 * stepX);
    connect(VScroll1, &QScrollBar::valueChanged, this, &PreviewPane::VScroll1_Change);
    connect(HScroll1, &QScrollBar::valueChanged, this, &PreviewPane::HScroll1_Change);

    labMinsize = new QLabel(QStringLiteral("MinSize"), window);
    labMinsize->setObjectName(QStringLiteral("labMinsize"));
    labMinsize->move(minimumSize);
    labMinsize->setVisible(false);
    mWindow->setMinimumSize(minimumSize.x(), minimumSize.y());

    Form_Resize();
}

PainterCanvas& PreviewPane::canvas(int index)
{
    return picScreen.at(std::clamp(index, 0, int(picScreen.size()) - 1))->canvas();
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
    for (PreviewCanvasWidget* canvas : picScreen)
        canvas->resizeOuter(canvasOuterSize());
    UpdateScrollRanges();
}

void PreviewPane::placeInside()
{
    mInside->setGeometry(picWindow->contentsRect());
}

void PreviewPane::Form_Resize()
{
    // Never smaller than labMinsize: a smaller size is set back.
    const int minW = labMinsize->x();
    const int minH = labMinsize->y();
    if (mWindow->width() < minW || mWindow->height() < minH)
        mWindow->resize(std::max(mWindow->width(), minW), std::max(mWindow->height(), minH));
    const int left = picWindow->x();
    const int top = picWindow->y();
    const int barW = VScroll1->sizeHint().width();
    const int barH = HScroll1->sizeHint().height();
    const int w = std::max(2 * mBorderX + 1, mWindow->width() - 2 * left - barW);
    const int h = std::max(2 * mBorderY + 1, mWindow->height() - top - left - barH);
    picWindow->setGeometry(left, top, w, h);
    placeInside();
    VScroll1->setGeometry(left + w, top, barW, h);
    HScroll1->setGeometry(left, top + h, w, barH);
    UpdateScrollRanges();
}

void PreviewPane::UpdateScrollRanges()
{
    if (picScreen.isEmpty()) return;
    const QWidget* canvas = picScreen.first();
    const QRect inside = picWindow->contentsRect();
    VScroll1->setMaximum(std::max(0, canvas->height() - inside.height()));
    HScroll1->setMaximum(std::max(0, canvas->width() - inside.width()));
    // A range that shrank may leave the canvases where the old value put them.
    VScroll1_Change(VScroll1->value());
    HScroll1_Change(HScroll1->value());
}

void PreviewPane::ResetScroll()
{
    VScroll1->setValue(0);
    HScroll1->setValue(0);
    VScroll1_Change(0);
    HScroll1_Change(0);
}

void PreviewPane::BringToFront(int index)
{
    if (index >= 0 && index < picScreen.size()) picScreen.at(index)->raise();
}

void PreviewPane::Refresh()
{
    for (PreviewCanvasWidget* canvas : picScreen) {
        canvas->canvas().finish();
        canvas->update();
    }
}

void PreviewPane::VScroll1_Change(int value)
{
    for (PreviewCanvasWidget* canvas : picScreen)
        canvas->move(canvas->x(), -value - mBorderY);
}

void PreviewPane::HScroll1_Change(int value)
{
    for (PreviewCanvasWidget* canvas : picScreen)
        canvas->move(-value - mBorderX, canvas->y());
}

} // namespace seiran
