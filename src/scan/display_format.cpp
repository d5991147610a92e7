#include "scan/display_format.h"


namespace lazarine {

std::string sizeText(uint64_t bytes) {
    double x = static_cast<double>(bytes);
    if (x / 1073741824.0 >= 1.0) return printfText("%.2f GB", x / 1073741824.0);
    if (x / 1048576.0 >= 1.0) return printfText("%.2f MB", x / 1048576.0);
    if (x / 1024.0 >= 1.0) return printfText("%.2f KB", x / 1024.0);
    return printfText("%lld Bytes", static_cast<long long>(bytes));
}

std::string dateTimeText(const LocalDateTime& t) {
    if (t.hour >= 13) {
        return printfText("%02d/%02d/%d  %02d:%02d PM", t.month, t.day, t.year, t.hour - 12,
                      t.minute);
    }
    return printfText("%02d/%02d/%d  %02d:%02d AM", t.month, t.day, t.year, t.hour, t.minute);
}

std::string dateOnlyText(const LocalDateTime& t) {
    return printfText("%02d/%02d/%d ", t.month, t.day, t.year);
}

LocalDateTime fatDateTime(uint16_t date, uint16_t time) {
    LocalDateTime t;
    t.day = date & 0x1F;
    t.month = (date >> 5) & 0x0F;
    t.year = (date >> 9) + 1980;
    t.second = (time & 0x1F) * 2;
    t.minute = (time >> 5) & 0x3F;
    t.hour = time >> 11;
    return t;
}

std::string volumeSizeText(uint64_t bytes) {
    return printfText("%d  MB", static_cast<int32_t>(static_cast<uint32_t>(bytes / 1048576)));
}

}  // namespace lazarine
