// The start-up floor of any program on the toolkit's core library: it links
// Qt Core and only makes and prints one string, so its time is what loading
// that library costs. The harness times it beside pictaron-cli --version.
#include <QString>

#include <cstdio>

int main(int argc, char**)
{
    std::puts(qPrintable(QString::number(argc)));
}
