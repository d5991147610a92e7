#pragma once
// The NTFS parser. It reads the master file table (MFT) record by record, deleted records
// included, and rebuilds the folder tree from the parent reference in each record's
// $FILE_NAME, which deleted records keep. Directory indexes are not read.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fs/ntfs/attribute_header.h"
#include "fs/ntfs/attribute_list.h"
#include "fs/ntfs/mft_record_header.h"
#include "fs/ntfs/ntfs_boot_sector.h"
#include "fs/ntfs/run_list.h"
#include "scan/parser.h"

namespace lazarine {

namespace platform {
class OutputFile;
}

inline constexpr const char* kOrphanEntryName = "ORPHAN_ENTRY";

// One MFT slot or one record found by a search; its index in entryList is its id.
struct MftEntryRecord {
    std::array<char, 4> signature{};  // the slot's first four bytes
    uint64_t recordOffset = 0;        // byte offset of the record within the volume
    std::string name;                 // UTF-8
    bool named = false;               // a $FILE_NAME gave a name (possibly empty)
    uint64_t parentIndex = 0;         // parent's record number (= index outside Deep mode)
    uint64_t allocatedSize = 0;       // from $FILE_NAME
    uint16_t recordFlags = 0;         // record header flags
    char kind = 0;                    // 'D' for a directory
    uint64_t selfIndex = 0;
    uint8_t orphaned = 0;
    uint64_t firstChild = 0;          // 0 = none
    int64_t nextSibling = 0;          // 0 or negative ends the chain

    // Not on disk: the tail of this record's chain and whether the record already sits in
    // its parent's chain, so that linking appends in constant time.
    uint64_t lastChild = 0;
    bool linked = false;
    // False for ORPHAN_ENTRY and for MFT slots that map to no cluster on disk.
    bool onDisk = true;

    bool isFile() const { return signature == std::array<char, 4>{'F', 'I', 'L', 'E'}; }
};

// The $DATA description of one record.
struct DataAttributeInfo {
    uint32_t dataPosition = 0;  // resident: content offset in the record; else run-list offset
    uint32_t dataLength = 0;    // resident: content length; else run-list bytes
    uint16_t compressionUnit = 0;
    int64_t firstVcn = 0;
    int64_t lastVcn = 0;
    char residency = 0;            // 'R', 'N', or 0 when there is no unnamed $DATA
    const char* kindText = nullptr;  // "Compressed", "Encrypted", "Normal" or none
    int64_t allocatedSize = 0;
    int64_t realSize = 0;
    uint16_t flags = 0;  // the attribute's flags word
};

struct NtfsTimes {
    uint64_t created = 0;  // FILETIME
    uint64_t modified = 0;
    uint64_t accessed = 0;
    std::string attributeText;
    bool hasTimes = false;  // a $STANDARD_INFORMATION was found
};

// A record read and fixed up, with its attribute headers.
struct LoadedRecord {
    MftRecordHeader header;
    uint64_t recordOffset = 0;
    std::vector<uint8_t> bytes;
    std::vector<AttributeHeader> attributes;
    uint64_t index = 0;          // its index in entryList
    bool valid = false;          // read, and signed "FILE"
    bool attributeList = false;  // carries an $ATTRIBUTE_LIST
    std::span<const uint8_t> span() const { return bytes; }
};

class ntfs final : public FileSystemParser {
public:
    ntfs(readWriteInterface& reader, const VolumeRow& volume);

    // FileSystemParser
    bool scan(const ScanRequest& request, Reporter& reporter, JobControl& control) override;
    std::vector<EntryId> rootEntries() override;
    std::vector<EntryId> children(EntryId folder) override;
    bool hasChildren(EntryId folder) override;
    bool isValid(EntryId id) const override;
    std::string name(EntryId id) const override;
    bool isFolder(EntryId id) const override;
    bool isDeleted(EntryId id) const override;
    EntryColumns columns(EntryId id) override;
    std::string sizeText(EntryId id) override;
    uint64_t sizeBytes(EntryId id) override;
    FileTimes times(EntryId id) override;
    bool SaveEntry(EntryId id, const std::filesystem::path& fullPath, Reporter& reporter) override;
    void rename(EntryId id, std::string newName) override;
    bool descendInto(EntryId id) override;
    bool skipSave(EntryId id) override;
    bool childrenInheritTick() const override { return true; }
    RecycleLayout recycleLayout() const override { return RecycleLayout::PerUserFolders; }

    // The Advanced search, also run by the advanced input page before the scan: collects
    // copies of $MFT records (found seven records before a $Boot record) up to `maximum`.
    // Returns the number of candidates.
    size_t SearchMftCandidates(int maximum, Reporter& reporter, JobControl& control);
    const std::vector<MftEntryRecord>& mftCandidates() const { return mftCandidates_; }
    // "MFT_ENTRY:0", "MFT_ENTRY:1", ... as the advanced input page lists them.
    std::vector<std::string> candidateTexts() const;

    // The steps of the scan, in the order scan() runs them.
    bool ReadBootSector();
    bool LocateMft();
    void EnumerateMftRecords();
    bool UseMftCandidate(int choice);
    bool DeepScanRecords();
    void ParseAllRecords();

    // Record readers.
    std::vector<ClusterRun> ReadRunList(uint64_t recordOffset, uint32_t type);
    void ParseRecordAt(uint64_t recordOffset, uint64_t index);
    LoadedRecord LoadRecord(uint64_t index);
    DataAttributeInfo ReadDataAttributeInfo(const LoadedRecord& record) const;
    NtfsTimes ReadTimesAndFlags(uint64_t recordOffset);
    std::vector<uint64_t> CollectExtensionRecords(const LoadedRecord& record);
    // The unnamed $DATA entries of the record's $ATTRIBUTE_LIST, in list order.
    std::vector<AttributeListEntry> dataListEntries(const LoadedRecord& record);

    // Tree.
    void LinkChild(uint64_t index);
    void RelinkOrphans();
    bool BuildRootItems();
    EntryColumns NtfsDateColumns(const MftEntryRecord& record);
    std::string SizeText(uint64_t index);

    // Extraction.
    std::vector<ClusterRun> ReadClusterList(uint64_t recordOffset);

    const std::vector<MftEntryRecord>& entryList() const { return entryList_; }
    uint64_t clusterSize() const { return clusterSize_; }
    uint32_t recordSize() const { return recordSize_; }
    int64_t orphanIndex() const { return orphanIndex_; }
    int64_t rootIndex() const { return rootIndex_; }
    bool mftLocated() const { return mftLocated_; }
    const std::vector<ClusterRun>& mftRuns() const { return mftRuns_; }

private:
    struct FileData;  // where a record's unnamed $DATA lives

    void status(const std::string& text);
    bool stopping();
    std::vector<uint8_t> readBytes(uint64_t offset, size_t count);
    uint64_t scanLimit(uint64_t bytes) const;
    uint64_t volumeClusters() const;
    uint64_t sizeTextBytes() const;
    void clusterSizeFromBoot();
    void resetRecords();
    void appendRecord(std::span<const uint8_t> firstBytes, uint64_t offset);
    void parseRecordBytes(std::span<uint8_t> bytes, uint64_t index);
    void linkWhileParsing(uint64_t index);
    uint64_t fileSizeOf(uint64_t index);
    uint64_t maxFileBytes() const;
    void setFirstChild(uint64_t parent, uint64_t child);
    template <typename OnStep>
    void scanChunks(uint64_t limit, bool progressEvery100, OnStep onStep);

    FileData resolveData(const LoadedRecord& record);
    bool readExtents(const LoadedRecord& base, FileData& data);
    std::vector<uint8_t> readAttributeListBytes(const LoadedRecord& record,
                                                const AttributeHeader& list);
    bool writeData(const FileData& data, platform::OutputFile& out);
    bool writeRuns(const FileData& data, platform::OutputFile& out);
    bool writeCompressed(const FileData& data, platform::OutputFile& out);
    void readClusters(int64_t cluster, uint64_t count, uint8_t* into);

    readWriteInterface& reader_;
    VolumeRow volume_;
    Reporter* reporter_ = nullptr;
    JobControl* control_ = nullptr;
    int recoveryMode_ = 0;

    std::vector<uint8_t> bootBuffer_;
    NtfsBootSector boot_;
    uint64_t clusterSize_ = 0;
    uint32_t recordSize_ = kDefaultRecordSize;
    uint64_t volumeBytes_ = 0;
    uint64_t mftOffset_ = 0;
    std::vector<ClusterRun> mftRuns_;
    std::vector<MftEntryRecord> entryList_;
    std::vector<MftEntryRecord> mftCandidates_;
    bool mftLocated_ = false;
    bool mftRunPending_ = true;
    bool mftNameCheck_ = true;
    int64_t orphanIndex_ = -1;
    int64_t rootIndex_ = 5;
    std::vector<EntryId> rootItems_;
};

std::unique_ptr<FileSystemParser> createNtfsParser(readWriteInterface& reader,
                                                   const VolumeRow& volume);

}  // namespace lazarine
