#include "mainwindow/ImagePainter.h"
#include "platform/ImageList.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

// Every position has a visible picture of its own, drawn afresh at 2x.
TEST(ImagePainterTest, EveryPositionHasAVisibleImageOfItsOwnAtOneAndTwoTimes)
{
    const ImageList images;
    const QVector<QIcon> icons = PaintImages(images);
    const auto image = [&](int position, qreal scale = 1.0) {
        return icons.at(position)
            .pixmap(QSize(16, 16), scale)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    };
    ASSERT_EQ(icons.size(), images.count() + 1);
    for (int position = 1; position <= images.count(); ++position) {
        SCOPED_TRACE(images.key(position).toStdString());
        const QImage small = image(position);
        const QImage large = image(position, 2.0);
        EXPECT_EQ(large.size(), QSize(32, 32));
        EXPECT_NE(large, small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        int opaque = 0;
        for (int at = 0; at < 256; ++at)
            opaque += qAlpha(small.pixel(at % 16, at / 16)) > 128;
        EXPECT_GE(opaque, 20);
        for (int other = position + 1; other <= images.count(); ++other)
            EXPECT_NE(small, image(other)) << "looks like " << images.key(other).toStdString();
    }
}

} // namespace
