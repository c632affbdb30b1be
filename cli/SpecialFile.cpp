#include "SpecialFile.h"

#include "FileSystem.h"
#include "Messages.h"

namespace {

std::string notread(fs::file_type type) {
    switch (type) {
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

} // namespace

std::string specialfile(const std::string& name) {
    std::error_code error;
    return notread(fs::status(topath(name), error).type());
}

std::string specialfile(const fs::directory_entry& entry) {
    std::error_code error;
    return notread(entry.is_fifo(error)             ? fs::file_type::fifo
                   : entry.is_socket(error)         ? fs::file_type::socket
                   : entry.is_block_file(error)     ? fs::file_type::block
                   : entry.is_character_file(error) ? fs::file_type::character
                                                    : fs::file_type::regular);
}

bool streamfile(const std::string& name) {
    std::error_code error;
    const fs::file_type type = fs::status(topath(name), error).type();
    return type == fs::file_type::fifo || type == fs::file_type::character;
}
