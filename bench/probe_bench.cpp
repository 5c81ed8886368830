// 1,000 probes one after another against the local fixture server; prints
// probes per second.
//
//   bench_probe [--count N]

#include "checker/Probe.h"
#include "platform/Clock.h"
#include "platform/TransferControl.h"
#include "platform/TransferEngine.h"
#include "shell/AppSettings.h"
#include "support/FixtureServer.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>

using namespace norvale;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 1000;
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 && args[1] == QLatin1String("--count"))
        count = args[2].toInt();

    test::FixtureServer server;
    const SystemClock clock;
    AppSettings settings;
    TransferEngine engine;
    TransferControl control(engine);
    Probe probe(control, settings, clock);

    int alive = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const QString url = server.url(test::FixtureServer::path(
            QStringLiteral("/page"), {{"body", QStringLiteral("<title>Page %1</title>").arg(i)}}));
        alive += probe.CheckLink(url, 1000).Status == LinkResult::Alive;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%d sequential probes in %.2f s: %.0f probes/s (%d alive)\n", count, seconds,
                count / seconds, alive);
    return alive == count ? 0 : 1;
}
