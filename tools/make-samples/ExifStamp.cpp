// Exiv2 adapter: the only file of the tool that includes Exiv2.
#include "ExifStamp.h"

#include <exiv2/exiv2.hpp>

#include <mutex>
#include <stdexcept>

namespace samples {
namespace {

// Exiv2's XMP support must be set up once before images are read on several threads.
void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { Exiv2::XmpParser::initialize(); });
}

Exiv2::ExifData exifDataOf(const ExifFields& fields)
{
    Exiv2::ExifData exif;
    if (fields.make)
        exif["Exif.Image.Make"] = *fields.make;
    if (fields.model)
        exif["Exif.Image.Model"] = *fields.model;
    if (fields.orientation)
        exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(*fields.orientation);
    if (fields.dateTime)
        exif["Exif.Image.DateTime"] = *fields.dateTime;
    if (fields.dateTimeOriginal)
        exif["Exif.Photo.DateTimeOriginal"] = *fields.dateTimeOriginal;
    if (fields.dateTimeDigitized)
        exif["Exif.Photo.DateTimeDigitized"] = *fields.dateTimeDigitized;
    return exif;
}

} // namespace

Bytes withExif(const Bytes& file, const ExifFields& fields)
{
    initialiseOnce();
    try {
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(file.data()),
                                               static_cast<long>(file.size()));
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        for (const auto& datum : exifDataOf(fields))
            exif[datum.key()] = datum.value();
        image->setExifData(exif);
        image->writeMetadata();

        Exiv2::BasicIo& io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf buffer = io.read(static_cast<long>(io.size()));
        return Bytes(reinterpret_cast<const char*>(buffer.pData_), static_cast<std::size_t>(buffer.size_));
    } catch (const Exiv2::AnyError& error) {
        throw std::runtime_error(std::string("could not write EXIF tags: ") + error.what());
    }
}

Bytes exifBlock(const ExifFields& fields)
{
    try {
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exifDataOf(fields));
        Bytes block("Exif\0\0", 6);
        block.append(reinterpret_cast<const char*>(blob.data()), blob.size());
        return block;
    } catch (const Exiv2::AnyError& error) {
        throw std::runtime_error(std::string("could not encode EXIF tags: ") + error.what());
    }
}

} // namespace samples
