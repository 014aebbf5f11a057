// One master update (sectors and fundamentals on) of the data directory in
// argv[1] from the maker's files in argv[2], served on 127.0.0.1: the
// process the kill test ends at random moments.
#include "update_rig.h"

#include "updates/update_firma.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zelvon;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    test::UpdateRig rig(QString::fromLocal8Bit(argv[1]));
    rig.serveDirectory("/Update/", QString::fromLocal8Bit(argv[2]));
    rig.start();
    auto context = rig.context();
    updates::UpdateFirma(context, {true, true}).Run();
    std::puts("done");
    return 0;
}
