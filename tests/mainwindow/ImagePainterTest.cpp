#include "mainwindow/ImagePainter.h"
#include "platform/ImageList.h"

#include <gmock/gmock.h>

using namespace norvale;

namespace {

class ImagePainterTest : public testing::Test {
protected:
    QImage image(int position, qreal scale = 1.0) const
    {
        return m_icons.at(position)
            .pixmap(QSize(16, 16), scale)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    }
    QImage image(const char* key) const { return image(m_images.position(key)); }

    // Each pixel as empty, darker or lighter than the picture's average grey:
    // the drawing's shapes and marks, whatever their colours.
    QVector<int> shape(const char* key) const
    {
        const QImage picture = image(key);
        QVector<int> grays;
        int sum = 0, count = 0;
        for (int at = 0; at < 256; ++at) {
            const QRgb pixel = picture.pixel(at % 16, at / 16);
            grays << (qAlpha(pixel) < 128 ? -1 : qGray(pixel));
            sum += qMax(grays.last(), 0);
            count += grays.last() >= 0;
        }
        for (int& gray : grays)
            gray = gray < 0 ? 0 : gray * count > sum ? 2 : 1;
        return grays;
    }

    ImageList m_images;
    QVector<QIcon> m_icons = PaintImages(m_images);
};

TEST_F(ImagePainterTest, EveryPositionHasAVisibleImageOfItsOwnAtOneAndTwoTimes)
{
    ASSERT_EQ(m_icons.size(), m_images.count() + 1);
    for (int position = 1; position <= m_images.count(); ++position) {
        SCOPED_TRACE(m_images.key(position).toStdString());
        ASSERT_FALSE(m_icons.at(position).isNull());
        const QImage small = image(position);
        const QImage large = image(position, 2.0);
        EXPECT_EQ(small.size(), QSize(16, 16));
        EXPECT_EQ(large.size(), QSize(32, 32));
        // Drawn afresh at 2x, not the 1x picture blown up.
        EXPECT_NE(large, small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        EXPECT_NE(large, small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        int opaque = 0;
        for (int at = 0; at < 256; ++at)
            opaque += qAlpha(small.pixel(at % 16, at / 16)) > 128;
        EXPECT_GE(opaque, 20);
        for (int other = position + 1; other <= m_images.count(); ++other)
            EXPECT_NE(small, image(other)) << "looks like " << m_images.key(other).toStdString();
    }
}

TEST_F(ImagePainterTest, LightsOfASetDifferInShapeNotOnlyInColour)
{
    const std::vector<std::vector<const char*>> sets = {
        {"BLACKDOT", "REDDOT", "YELLOWDOT", "GREENDOT", "GRAYDOT", "NEWGREENDOT"},
        {"IELOGO", "REDRESULT", "YELLOWRESULT", "GREENCHECK", "GRAYDOT", "GREENNEW"}};
    for (const auto& lights : sets)
        for (size_t a = 0; a < lights.size(); ++a)
            for (size_t b = a + 1; b < lights.size(); ++b) {
                const QVector<int> first = shape(lights[a]);
                const QVector<int> second = shape(lights[b]);
                int differing = 0;
                for (int i = 0; i < first.size(); ++i)
                    differing += first[i] != second[i];
                EXPECT_GE(differing, 12) << lights[a] << " and " << lights[b];
            }
}

} // namespace
