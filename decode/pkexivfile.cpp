// SPDX-License-Identifier: MIT

#include "pkexivfile.h"

#include <QFile>

#include <exiv2/exiv2.hpp>

#include <vector>

namespace {

// A file read into memory, once, however often exiv2 maps it (a TIFF's
// directories, a preview copied out of any raw file).
class UnmappedIo : public Exiv2::FileIo
{
public:
    using FileIo::FileIo;

    Exiv2::byte *mmap(bool /*isWriteable*/) override
    {
        if (whole.empty()) {
            if (qint64(size()) > PkExivFile::maxBytes)
                throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
            QFile file(QFile::decodeName(path().c_str()));
            whole.resize(size());
            const qint64 bytes = qint64(whole.size());
            if (!file.open(QIODevice::ReadOnly) || file.read(reinterpret_cast<char *>(whole.data()), bytes) != bytes)
                throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
        }
        return whole.data();
    }
    int munmap() override { return 0; }

private:
    std::vector<Exiv2::byte> whole;
};

} // namespace

void PkExivFile::initialise()
{
    static const bool done = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF();
        return Exiv2::XmpParser::initialize();
    }();
    Q_UNUSED(done);
}

std::unique_ptr<Exiv2::Image> PkExivFile::open(const QString &path)
{
    initialise();
    Exiv2::BasicIo::AutoPtr io(new UnmappedIo(QFile::encodeName(path).toStdString()));
    return std::unique_ptr<Exiv2::Image>(Exiv2::ImageFactory::open(io).release());
}
