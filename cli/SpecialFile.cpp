#include "SpecialFile.h"

#include "FileSystem.h"
#include "Messages.h"

std::string specialfile(const std::string& name) {
    std::error_code error;
    switch (fs::status(topath(name), error).type()) {
    case fs::file_type::fifo:
        return say(Message::notregular, {say(Message::kindfifo)});
    case fs::file_type::socket:
        return say(Message::notregular, {say(Message::kindsocket)});
    case fs::file_type::block:
    case fs::file_type::character:
        return say(Message::notregular, {say(Message::kinddevice)});
    default:
        return std::string();
    }
}

bool streamfile(const std::string& name) {
    std::error_code error;
    const fs::file_type type = fs::status(topath(name), error).type();
    return type == fs::file_type::fifo || type == fs::file_type::character;
}
