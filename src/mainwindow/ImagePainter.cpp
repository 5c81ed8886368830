#include "ImagePainter.h"

#include "platform/ImageList.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace norvale {

namespace {

// All pictures are drawn in a 16 x 16 logical square. One-pixel strokes sit on
// half-pixel coordinates and fills on whole ones, so edges stay sharp both at
// 1x and at 2x.
constexpr int kSide = 16;

namespace palette {
constexpr QColor ink(58, 64, 74);
constexpr QColor paper(255, 255, 255);
constexpr QColor paperShade(222, 228, 236);
constexpr QColor textLine(150, 162, 180);
constexpr QColor blue(52, 122, 214);
constexpr QColor blueDark(26, 74, 150);
constexpr QColor blueLight(176, 210, 246);
constexpr QColor green(44, 164, 72);
constexpr QColor greenDark(22, 104, 42);
constexpr QColor red(218, 52, 44);
constexpr QColor redDark(140, 22, 20);
constexpr QColor amber(248, 190, 40);
constexpr QColor amberDark(150, 100, 0);
constexpr QColor spark(255, 226, 60);
constexpr QColor gray(150, 156, 164);
constexpr QColor grayDark(92, 98, 106);
constexpr QColor stone(196, 200, 206);
constexpr QColor metal(200, 205, 212);
constexpr QColor folder(246, 204, 92);
constexpr QColor folderBack(226, 172, 58);
constexpr QColor folderEdge(168, 118, 26);
constexpr QColor wood(196, 142, 82);
constexpr QColor woodDark(122, 80, 36);
} // namespace palette

// ---------------------------------------------------------------- helpers

QPen stroke(const QColor& colour, qreal width = 1.0)
{
    return QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

QPen roundStroke(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Fills the shape and draws its one-pixel outline.
void outlined(QPainter& p, const QPainterPath& shape, const QColor& fill, const QColor& edge)
{
    p.setPen(stroke(edge));
    p.setBrush(fill);
    p.drawPath(shape);
}

void outlinedRect(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge)
{
    QPainterPath shape;
    shape.addRect(r);
    outlined(p, shape, fill, edge);
}

void line(QPainter& p, const QPen& pen, QPointF from, QPointF to)
{
    p.setPen(pen);
    p.drawLine(from, to);
}

// A polyline drawn twice: a wide dark pass as its outline, a narrower light
// pass on top. Keeps coloured marks readable on any background.
void boldMark(QPainter& p, const QPolygonF& points, const QColor& fill, const QColor& edge,
              qreal width)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(roundStroke(edge, width + 1.6));
    p.drawPolyline(points);
    p.setPen(roundStroke(fill, width));
    p.drawPolyline(points);
}

// A sheet of paper with a dog-eared top right corner; `outer` is the pixel
// box the sheet covers. Optional rows of text.
void sheet(QPainter& p, const QRectF& outer, bool text)
{
    const QRectF r = outer.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal fold = 3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    outlined(p, page, palette::paper, palette::ink);

    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    outlined(p, ear, palette::paperShade, palette::ink);

    if (!text)
        return;
    for (qreal y = r.top() + fold + 2; y < r.bottom() - 1; y += 2)
        line(p, stroke(palette::textLine), {r.left() + 2, y}, {r.right() - 2, y});
}

// The back of a folder with its tab; shared by the closed and open folders.
void folderBack(QPainter& p)
{
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7.5, 5.5);
    back.lineTo(14.5, 5.5);
    back.lineTo(14.5, 13.5);
    back.closeSubpath();
    outlined(p, back, palette::folderBack, palette::folderEdge);
}

void closedFolder(QPainter& p)
{
    folderBack(p);
    outlinedRect(p, QRectF(1.5, 6.5, 13, 7), palette::folder, palette::folderEdge);
    line(p, stroke(palette::folder.lighter(118)), {2.5, 7.5}, {13.5, 7.5});
}

// A four-pointed star: the mark of something new.
void sparkle(QPainter& p, QPointF centre, qreal radius)
{
    const qreal waist = radius * 0.32;
    QPainterPath star;
    star.moveTo(centre.x(), centre.y() - radius);
    star.lineTo(centre.x() + waist, centre.y() - waist);
    star.lineTo(centre.x() + radius, centre.y());
    star.lineTo(centre.x() + waist, centre.y() + waist);
    star.lineTo(centre.x(), centre.y() + radius);
    star.lineTo(centre.x() - waist, centre.y() + waist);
    star.lineTo(centre.x() - radius, centre.y());
    star.lineTo(centre.x() - waist, centre.y() - waist);
    star.closeSubpath();
    p.setPen(QPen(palette::amberDark, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(palette::spark);
    p.drawPath(star);
}

// A green check in the lower right corner, set off from what lies below.
void checkBadge(QPainter& p)
{
    const QPolygonF tick{{8.5, 11.5}, {10.5, 13.5}, {14.5, 8.5}};
    p.setBrush(Qt::NoBrush);
    p.setPen(roundStroke(palette::paper, 4.2));
    p.drawPolyline(tick);
    boldMark(p, tick, palette::green, palette::greenDark, 1.6);
}

// An arc of the circle around `centre` with an arrow head at its end.
// Angles in degrees, counter-clockwise from three o'clock, as QPainter has them.
void arcArrow(QPainter& p, QPointF centre, qreal radius, qreal start, qreal span,
              const QColor& colour)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, start);
    arc.arcTo(box, start, span);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);

    const qreal end = qDegreesToRadians(start + span);
    const QPointF tip(centre.x() + radius * qCos(end), centre.y() - radius * qSin(end));
    const qreal turn = span < 0 ? -1.0 : 1.0;
    const QPointF ahead(-qSin(end) * turn, -qCos(end) * turn); // direction of travel
    const QPointF side(ahead.y(), -ahead.x());
    const QPolygonF head{tip + ahead * 2.6, tip + side * 2.8, tip - side * 2.8};
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

// A blue sphere with meridian and parallels.
void globe(QPainter& p, QPointF centre, qreal radius)
{
    const QRectF ball(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setPen(stroke(palette::blueDark));
    p.setBrush(palette::blue);
    p.drawEllipse(ball);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::blueLight, 1.0));
    p.drawEllipse(ball.adjusted(radius * 0.5, 0.5, -radius * 0.5, -0.5));
    p.drawLine(QPointF(ball.left() + 1, centre.y()), QPointF(ball.right() - 1, centre.y()));
    p.drawLine(QPointF(centre.x(), ball.top() + 1), QPointF(centre.x(), ball.bottom() - 1));
}

// ---------------------------------------------------------------- status lights

// The small lights: a 12 pixel disk with a mark in it.
void lightDisk(QPainter& p, const QColor& fill, const QColor& edge)
{
    p.setPen(stroke(edge));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
}

void drawGreenDot(QPainter& p)
{
    lightDisk(p, palette::green, palette::greenDark);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundStroke(palette::paper, 1.7));
    p.drawPolyline(QPolygonF{{5.3, 8.2}, {7.2, 10.1}, {10.8, 5.9}});
}

void drawNewGreenDot(QPainter& p)
{
    drawGreenDot(p);
    sparkle(p, {12.5, 3.5}, 3.5);
}

void drawRedDot(QPainter& p)
{
    lightDisk(p, palette::red, palette::redDark);
    const QPen pen = roundStroke(palette::paper, 1.7);
    line(p, pen, {5.6, 5.6}, {10.4, 10.4});
    line(p, pen, {10.4, 5.6}, {5.6, 10.4});
}

void drawYellowDot(QPainter& p)
{
    // A clock face: still waiting for the page to answer.
    lightDisk(p, palette::amber, palette::amberDark);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundStroke(palette::ink, 1.4));
    p.drawPolyline(QPolygonF{{8, 4.8}, {8, 8}, {10.6, 9.4}});
}

void drawGrayDot(QPainter& p)
{
    lightDisk(p, palette::gray, palette::grayDark);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::paper);
    p.drawRect(QRectF(5, 7, 6, 2));
}

void drawBlackDot(QPainter& p)
{
    // A hollow ring: not looked at yet.
    p.setPen(stroke(palette::ink, 2.0));
    p.setBrush(palette::paper);
    p.drawEllipse(QRectF(3, 3, 10, 10));
}

// The large lights: a bold mark filling the square.
void drawGreenCheck(QPainter& p)
{
    boldMark(p, QPolygonF{{2.8, 8.6}, {6.2, 12}, {13.2, 3.6}}, palette::green, palette::greenDark,
             2.6);
}

void drawGreenNew(QPainter& p)
{
    boldMark(p, QPolygonF{{4.4, 9.6}, {7.4, 12.6}, {13.4, 5.2}}, palette::green, palette::greenDark,
             2.6);
    sparkle(p, {4, 4}, 3.5);
}

void drawRedResult(QPainter& p)
{
    boldMark(p, QPolygonF{{3.6, 3.6}, {12.4, 12.4}}, palette::red, palette::redDark, 2.6);
    boldMark(p, QPolygonF{{12.4, 3.6}, {3.6, 12.4}}, palette::red, palette::redDark, 2.6);
    // Redraw the centre so the first stroke does not look cut by the second's outline.
    line(p, roundStroke(palette::red, 2.6), {7, 7}, {9, 9});
}

void drawYellowResult(QPainter& p)
{
    // An hourglass: the page never answered in time.
    QPainterPath glass;
    glass.moveTo(4.5, 2.5);
    glass.lineTo(11.5, 2.5);
    glass.lineTo(11.5, 4);
    glass.lineTo(8.8, 8);
    glass.lineTo(11.5, 12);
    glass.lineTo(11.5, 13.5);
    glass.lineTo(4.5, 13.5);
    glass.lineTo(4.5, 12);
    glass.lineTo(7.2, 8);
    glass.lineTo(4.5, 4);
    glass.closeSubpath();
    outlined(p, glass, palette::paper, palette::amberDark);

    QPainterPath sand;
    sand.moveTo(5.8, 4.6);
    sand.lineTo(10.2, 4.6);
    sand.lineTo(8, 7.6);
    sand.closeSubpath();
    sand.moveTo(8, 10);
    sand.lineTo(10.7, 13);
    sand.lineTo(5.3, 13);
    sand.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(palette::amber);
    p.drawPath(sand);

    outlinedRect(p, QRectF(2.5, 1.5, 11, 1), palette::wood, palette::woodDark);
    outlinedRect(p, QRectF(2.5, 13.5, 11, 1), palette::wood, palette::woodDark);
}

// The favorite itself: a web page with a globe on it.
void drawFavorite(QPainter& p)
{
    sheet(p, QRectF(1, 0, 12, 15), false);
    for (qreal y : {4.5, 6.5})
        line(p, stroke(palette::textLine), {3, y}, {8, y});
    globe(p, {10.5, 10.5}, 5);
}

// ---------------------------------------------------------------- folders

void drawFolder(QPainter& p)
{
    closedFolder(p);
}

void drawOpenFolder(QPainter& p)
{
    folderBack(p);
    outlinedRect(p, QRectF(3.5, 4.5, 9, 5), palette::paper, palette::ink);
    QPainterPath flap;
    flap.moveTo(1.5, 13.5);
    flap.lineTo(3.5, 8.5);
    flap.lineTo(15.5, 8.5);
    flap.lineTo(13.5, 13.5);
    flap.closeSubpath();
    outlined(p, flap, palette::folder, palette::folderEdge);
}

void drawNewFolder(QPainter& p)
{
    closedFolder(p);
    sparkle(p, {12, 4}, 4);
}

void drawTombstone(QPainter& p)
{
    QPainterPath stoneShape;
    stoneShape.moveTo(2.5, 14.5);
    stoneShape.lineTo(2.5, 6.5);
    stoneShape.arcTo(QRectF(2.5, 1.5, 10, 10), 180, -180);
    stoneShape.lineTo(12.5, 14.5);
    stoneShape.closeSubpath();
    outlined(p, stoneShape, palette::stone, palette::grayDark);
    const QPen etch = stroke(palette::grayDark);
    line(p, etch, {7.5, 4.5}, {7.5, 10.5});
    line(p, etch, {5.5, 6.5}, {9.5, 6.5});
    p.setPen(Qt::NoPen);
    p.setBrush(palette::green);
    p.drawRect(QRectF(0, 14, 16, 2));
}

// ---------------------------------------------------------------- edit commands

void drawCopy(QPainter& p)
{
    sheet(p, QRectF(1, 1, 9, 11), true);
    sheet(p, QRectF(6, 4, 9, 11), true);
}

void drawCut(QPainter& p)
{
    const QPen blade = roundStroke(palette::grayDark, 1.6);
    line(p, blade, {5, 1.5}, {9.6, 10.4});
    line(p, blade, {11, 1.5}, {6.4, 10.4});
    p.setPen(stroke(palette::red, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11, 12.5), 2.3, 2.3);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::ink);
    p.drawEllipse(QPointF(8, 7.3), 1, 1);
}

void drawPaste(QPainter& p)
{
    QPainterPath board;
    board.addRoundedRect(QRectF(2.5, 2.5, 11, 12), 1.5, 1.5);
    outlined(p, board, palette::wood, palette::woodDark);
    outlinedRect(p, QRectF(4.5, 5.5, 7, 8), palette::paper, palette::ink);
    for (qreal y : {7.5, 9.5, 11.5})
        line(p, stroke(palette::textLine), {6, y}, {10, y});
    outlinedRect(p, QRectF(5.5, 1.5, 5, 3), palette::metal, palette::ink);
}

void drawDelete(QPainter& p)
{
    // A waste bin.
    QPainterPath bin;
    bin.moveTo(3.5, 5.5);
    bin.lineTo(12.5, 5.5);
    bin.lineTo(11.5, 14.5);
    bin.lineTo(4.5, 14.5);
    bin.closeSubpath();
    outlined(p, bin, palette::metal, palette::ink);
    const QPen rib = stroke(palette::grayDark);
    for (qreal x : {6.5, 9.5})
        line(p, rib, {x, 7.5}, {x, 12.5});
    outlinedRect(p, QRectF(6.5, 1.5, 3, 2), Qt::transparent, palette::ink);
    outlinedRect(p, QRectF(1.5, 3.5, 13, 2), palette::gray, palette::ink);
}

void drawRename(QPainter& p)
{
    // A pencil writing into a text field.
    outlinedRect(p, QRectF(0.5, 9.5, 15, 5), palette::paper, palette::ink);
    line(p, stroke(palette::ink), {2.5, 11.5}, {2.5, 12.5});
    line(p, stroke(palette::ink), {4.5, 11.5}, {4.5, 12.5});

    p.save();
    p.translate(5.5, 12);
    p.rotate(-45);
    const QColor eraser(236, 130, 150);
    const QPen edge = QPen(palette::ink, 0.9, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    p.setPen(edge);
    p.setBrush(palette::wood.lighter(130));
    p.drawPolygon(QPolygonF{{0, 0}, {3, -1.8}, {3, 1.8}});
    p.setBrush(palette::amber);
    p.drawRect(QRectF(3, -1.8, 7, 3.6));
    p.setBrush(palette::metal);
    p.drawRect(QRectF(10, -1.8, 1.2, 3.6));
    p.setBrush(eraser);
    p.drawRect(QRectF(11.2, -1.8, 1.8, 3.6));
    p.setPen(Qt::NoPen);
    p.setBrush(palette::ink);
    p.drawPolygon(QPolygonF{{0, 0}, {1.2, -0.7}, {1.2, 0.7}});
    p.restore();
}

void drawProperties(QPainter& p)
{
    // A card of name / value rows under a title bar.
    outlinedRect(p, QRectF(1.5, 1.5, 13, 13), palette::paper, palette::ink);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::blue);
    p.drawRect(QRectF(2, 2, 12, 3));
    for (qreal y : {7.5, 9.5, 11.5}) {
        line(p, stroke(palette::ink), {3.5, y}, {5.5, y});
        line(p, stroke(palette::textLine), {7.5, y}, {12.5, y});
    }
}

void drawFind(QPainter& p)
{
    line(p, roundStroke(palette::ink, 3), {10.5, 10.5}, {13.8, 13.8});
    p.setPen(stroke(palette::ink, 1.5));
    p.setBrush(palette::blueLight);
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::paper, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4, 4, 5, 5), 100 * 16, 70 * 16);
}

// ---------------------------------------------------------------- check commands

void drawCheckAll(QPainter& p)
{
    // A list with every row ticked.
    for (qreal y : {3.5, 8.5, 13.5}) {
        boldMark(p, QPolygonF{{1.8, y - 0.6}, {3.4, y + 0.9}, {6.4, y - 2.4}}, palette::green,
                 palette::greenDark, 1.3);
        line(p, stroke(palette::textLine, 2), {9, y - 0.5}, {14, y - 0.5});
    }
}

void drawCheckOne(QPainter& p)
{
    sheet(p, QRectF(2, 0, 10, 14), true);
    checkBadge(p);
}

void drawCheckDir(QPainter& p)
{
    closedFolder(p);
    checkBadge(p);
}

void drawStop(QPainter& p)
{
    const QPolygonF octagon{{5.5, 1.5},   {10.5, 1.5}, {14.5, 5.5}, {14.5, 10.5},
                            {10.5, 14.5}, {5.5, 14.5}, {1.5, 10.5}, {1.5, 5.5}};
    QPainterPath shape;
    shape.addPolygon(octagon);
    shape.closeSubpath();
    outlined(p, shape, palette::red, palette::redDark);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::paper);
    p.drawRect(QRectF(4, 7, 8, 2));
}

void drawRefresh(QPainter& p)
{
    arcArrow(p, {8, 8}, 5, 110, -290, palette::green);
}

void drawSync(QPainter& p)
{
    arcArrow(p, {8, 8}, 5, 160, -130, palette::blue);
    arcArrow(p, {8, 8}, 5, -20, -130, palette::blue);
}

// ---------------------------------------------------------------- other commands

void drawLaunch(QPainter& p)
{
    // A box with an arrow leaving it at the top right: open the page outside.
    QPainterPath box;
    box.moveTo(7.5, 3.5);
    box.lineTo(2.5, 3.5);
    box.lineTo(2.5, 13.5);
    box.lineTo(12.5, 13.5);
    box.lineTo(12.5, 8.5);
    p.setPen(stroke(palette::ink));
    p.setBrush(Qt::NoBrush);
    p.drawPath(box);
    line(p, roundStroke(palette::blue, 2), {7, 9}, {13, 3});
    p.setPen(Qt::NoPen);
    p.setBrush(palette::blue);
    p.drawPolygon(QPolygonF{{15, 1}, {15, 7}, {9, 1}});
}

void drawInfo(QPainter& p)
{
    // A question mark on a blue disk: help.
    p.setPen(stroke(palette::blueDark));
    p.setBrush(palette::blue);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QPainterPath hook;
    const QRectF bow(5.6, 3.8, 4.8, 4.8);
    hook.arcMoveTo(bow, 160);
    hook.arcTo(bow, 160, -235);
    hook.lineTo(8, 9.2);
    hook.lineTo(8, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::paper, 1.8, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::paper);
    p.drawEllipse(QPointF(8, 12), 1.1, 1.1);
}

void drawFileExit(QPainter& p)
{
    // A door with an arrow walking out of it.
    outlinedRect(p, QRectF(2.5, 1.5, 7, 13), palette::wood, palette::woodDark);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::woodDark);
    p.drawRect(QRectF(7, 8, 1, 1));
    line(p, QPen(palette::green, 2, Qt::SolidLine, Qt::FlatCap), {6, 8}, {12, 8});
    p.setBrush(palette::green);
    p.drawPolygon(QPolygonF{{15.5, 8}, {11.5, 4}, {11.5, 12}});
}

void drawOptions(QPainter& p)
{
    // A gear wheel.
    constexpr int kTeeth = 8;
    const QPointF centre(8, 8);
    const qreal inner = 5.0;
    const qreal outer = 7.2;
    QPolygonF rim;
    for (int tooth = 0; tooth < kTeeth; ++tooth) {
        const qreal middle = tooth * 360.0 / kTeeth;
        for (auto [radius, offset] : {std::pair{inner, -14.0}, std::pair{outer, -9.0},
                                      std::pair{outer, 9.0}, std::pair{inner, 14.0}}) {
            const qreal angle = qDegreesToRadians(middle + offset);
            rim << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        }
    }
    QPainterPath gear;
    gear.addPolygon(rim);
    gear.closeSubpath();
    gear.addEllipse(centre, 2.2, 2.2);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(palette::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(palette::gray);
    p.drawPath(gear);
}

void drawPrint(QPainter& p)
{
    outlinedRect(p, QRectF(4.5, 1.5, 7, 5), palette::paper, palette::ink);
    QPainterPath body;
    body.addRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
    outlined(p, body, palette::metal, palette::ink);
    outlinedRect(p, QRectF(3.5, 9.5, 9, 5), palette::paper, palette::ink);
    for (qreal y : {11.5, 12.5})
        line(p, stroke(palette::textLine), {5, y}, {11, y});
    p.setPen(Qt::NoPen);
    p.setBrush(palette::green);
    p.drawRect(QRectF(12, 7, 1, 1));
}

// ---------------------------------------------------------------- the table

struct Picture {
    ImageKey key;
    void (*draw)(QPainter&);
};

constexpr Picture kPictures[] = {
    {ImageKey::Copy, drawCopy},
    {ImageKey::Cut, drawCut},
    {ImageKey::Paste, drawPaste},
    {ImageKey::Delete, drawDelete},
    {ImageKey::Find, drawFind},
    {ImageKey::Properties, drawProperties},
    {ImageKey::CheckAll, drawCheckAll},
    {ImageKey::CheckOne, drawCheckOne},
    {ImageKey::CheckDir, drawCheckDir},
    {ImageKey::Stop, drawStop},
    {ImageKey::Launch, drawLaunch},
    {ImageKey::Refresh, drawRefresh},
    {ImageKey::Info, drawInfo},
    {ImageKey::IeLogo, drawFavorite},
    {ImageKey::Folder, drawFolder},
    {ImageKey::OpenFolder, drawOpenFolder},
    {ImageKey::GreenDot, drawGreenDot},
    {ImageKey::GrayDot, drawGrayDot},
    {ImageKey::NewGreenDot, drawNewGreenDot},
    {ImageKey::RedDot, drawRedDot},
    {ImageKey::BlackDot, drawBlackDot},
    {ImageKey::YellowDot, drawYellowDot},
    {ImageKey::YellowResult, drawYellowResult},
    {ImageKey::RedResult, drawRedResult},
    {ImageKey::GreenCheck, drawGreenCheck},
    {ImageKey::GreenNew, drawGreenNew},
    {ImageKey::Tombstone, drawTombstone},
    {ImageKey::FileExit, drawFileExit},
    {ImageKey::NewFolder, drawNewFolder},
    {ImageKey::Options, drawOptions},
    {ImageKey::Print, drawPrint},
    {ImageKey::Rename, drawRename},
    {ImageKey::Sync, drawSync},
};

// The picture drawn at 1x and at 2x, each from the vector shapes.
QIcon render(void (*draw)(QPainter&))
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSide * scale, kSide * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QVector<QIcon> PaintImages(const ImageList& images)
{
    QVector<QIcon> icons(images.count() + 1);
    for (const Picture& picture : kPictures)
        icons[ImageList::position(picture.key)] = render(picture.draw);
    return icons;
}

} // namespace norvale
