#include "paradox/table_copy.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>

#include "paradox/blob_writer.h"
#include "paradox/field_encoder.h"
#include "paradox/header_builder.h"
#include "paradox/secondary_writer.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

// Memo and blob values outside the leader move into the new .MB.
Status MoveBlobs(const Table& source, const RecordRef& ref, BlobWriter* blobs, std::vector<uint8_t>* record) {
    for (size_t i = 0; i < source.fields().size(); ++i) {
        const FieldInfo& f = source.fields()[i];
        if (!IsBlobType(f.type)) continue;
        BlobDescriptor d = ReadBlobDescriptor(f, ref.data);
        if (d.length == 0 || d.InLeader()) continue;
        Value value;
        PX_RETURN_IF_ERROR(source.ReadValue(ref, i, &value));
        if (!blobs) return Status::Corruption(source.name() + ": memo value without a memo file");
        BlobDescriptor stored;
        stored.leader_size = f.width - 10;
        PX_RETURN_IF_ERROR(blobs->Append(value.bytes, &stored));
        StoreBlobDescriptor(f, stored, record->data());
    }
    return Status::Ok();
}

// The destination's stem with the source file's extension as written.
std::string DestinationOf(const std::string& source_file, const std::string& destination_table) {
    return destination_table.substr(0, destination_table.rfind('.')) + source_file.substr(source_file.rfind('.'));
}

Status CopyFile(const std::string& from, const std::string& to) {
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(from, &file));
    std::string bytes(file->Size(), '\0');
    PX_RETURN_IF_ERROR(file->Read(0, bytes.size(), reinterpret_cast<uint8_t*>(bytes.data())));
    return ReplaceFile(to, bytes);
}

// Empty index files with the source's headers, then filled from the copy.
Status CopySecondaryIndexes(const Table& source, const std::string& destination, const OpenOptions& open) {
    std::vector<SecondaryIndexInfo> indexes;
    PX_RETURN_IF_ERROR(ListSecondaryIndexes(source, &indexes));
    for (const SecondaryIndexInfo& info : indexes) {
        std::vector<uint8_t> x, y;
        PX_RETURN_IF_ERROR(ReadHeaderBytes(info.path, &x));
        PX_RETURN_IF_ERROR(ReadHeaderBytes(TreePathOf(info.path), &y));
        ClearCounts(&x);
        PX_RETURN_IF_ERROR(ReplaceFile(DestinationOf(info.path, destination), std::string(x.begin(), x.end())));
        PX_RETURN_IF_ERROR(WriteEmptyIndex(DestinationOf(TreePathOf(info.path), destination), std::move(y)));
    }
    std::unique_ptr<Table> copy;
    PX_RETURN_IF_ERROR(Table::Open(destination, open, &copy));
    PX_RETURN_IF_ERROR(ListSecondaryIndexes(*copy, &indexes));
    for (const SecondaryIndexInfo& info : indexes) PX_RETURN_IF_ERROR(RebuildSecondaryIndex(*copy, info, true));
    std::string val = CompanionPath(source.path(), "VAL");
    return val.empty() ? Status::Ok() : CopyFile(val, SiblingPath(destination, ".VAL"));
}

}  // namespace

Status CopyTable(const std::string& source_path, const std::string& destination, const OpenOptions& open,
                 const CopyOptions& options) {
    std::unique_ptr<Table> source;
    PX_RETURN_IF_ERROR(Table::Open(source_path, open, &source));
    PX_RETURN_IF_ERROR(CreateLike(*source, destination));
    std::unique_ptr<TableWriter> writer;
    PX_RETURN_IF_ERROR(TableWriter::Open(destination, open, &writer));
    writer->set_durable(false);
    std::unique_ptr<BlobWriter> blobs;
    std::string mb = CompanionPath(destination, "MB");
    if (!mb.empty()) PX_RETURN_IF_ERROR(BlobWriter::Open(mb, source->header().password_checksum, &blobs));
    std::vector<uint64_t> order(source->record_count());
    std::iota(order.begin(), order.end(), 0);
    if (options.shuffle) std::shuffle(order.begin(), order.end(), std::mt19937(options.seed));
    for (uint64_t n : order) {
        RecordRef ref;
        PX_RETURN_IF_ERROR(source->ReadRecord(n, &ref));
        std::vector<uint8_t> record(ref.data, ref.data + source->header().record_size);
        PX_RETURN_IF_ERROR(MoveBlobs(*source, ref, blobs.get(), &record));
        PX_RETURN_IF_ERROR(writer->Insert(record, nullptr));
    }
    PX_RETURN_IF_ERROR(writer->Flush());
    writer.reset();
    return CopySecondaryIndexes(*source, destination, open);
}

}  // namespace paradox
