#include "BenchEnvironment.h"

#include "common/DataFolder.h"

#include <QApplication>
#include <benchmark/benchmark.h>

QTemporaryDir& benchHome()
{
    static QTemporaryDir dir;
    return dir;
}

QString benchDataFolder()
{
    DataFolder::CreateMakerFolder();
    return DataFolder::path();
}

int main(int argc, char** argv)
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(benchHome().path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(benchHome().path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
