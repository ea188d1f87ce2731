#include "BlockWriter.h"

#include "ExportFile.h"
#include "files/SafeFile.h"

#include <QIODevice>

BlockWriter::BlockWriter(QIODevice &out)
    : m_out(out)
{
    // Room for one more row beyond a full block, so that a block is not copied to grow.
    m_block.reserve(BlockSize + 4096);
}

bool BlockWriter::flush()
{
    if (m_block.isEmpty())
        return true;
    const bool written = SafeFile::writeAll(m_out, m_block);
    m_block.resize(0); // keeps the room reserved, unlike clear()
    return written;
}
