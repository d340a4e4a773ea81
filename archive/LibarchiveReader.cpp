#include "archive/LibarchiveReader.h"

#include "core/EngineText.h"

namespace packshelf {

namespace {

QString messageOf(struct archive* handle) {
    const char* message = archive_error_string(handle);
    return message ? QString::fromLocal8Bit(message) : EngineText::tr("unknown error");
}

QString closedReader() {
    return EngineText::tr("the reader was closed after an error");
}

} // namespace

Result<LibarchiveReader> LibarchiveReader::open(const Callbacks& callbacks) {
    handles::UniqueArchiveReader handle(archive_read_new());
    if (!handle)
        return fail(EngineText::tr("out of memory"));
    // Each call below answers ARCHIVE_OK or ARCHIVE_FATAL, and only before
    // the open: a fresh handle accepts them all.
    archive_read_support_format_7zip(handle.get());
    archive_read_support_format_rar(handle.get());
    archive_read_support_format_rar5(handle.get());
    archive_read_set_read_callback(handle.get(), callbacks.read);
    archive_read_set_skip_callback(handle.get(), callbacks.skip);
    archive_read_set_seek_callback(handle.get(), callbacks.seek);
    archive_read_set_callback_data(handle.get(), callbacks.data);
    LibarchiveReader reader(std::move(handle));
    if (archive_read_open1(reader.m_handle.get()) != ARCHIVE_OK)
        return reader.close();
    return reader;
}

Result<std::optional<archive_entry*>> LibarchiveReader::nextHeader() {
    if (!m_handle)
        return fail(closedReader());
    struct archive_entry* header = nullptr;
    const int status = archive_read_next_header(m_handle.get(), &header);
    if (status == ARCHIVE_EOF)
        return std::optional<archive_entry*>();
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
        return close();
    return std::optional<archive_entry*>(header);
}

Result<std::optional<LibarchiveReader::Block>> LibarchiveReader::nextBlock() {
    if (!m_handle)
        return fail(closedReader());
    Block block;
    const int status =
        archive_read_data_block(m_handle.get(), &block.data, &block.size, &block.offset);
    if (status == ARCHIVE_EOF)
        return std::optional<Block>();
    if (status != ARCHIVE_OK)
        return close();
    return std::optional<Block>(block);
}

Failure LibarchiveReader::close() {
    const QString message = messageOf(m_handle.get());
    m_handle.reset();
    return fail(message);
}

} // namespace packshelf
