#include "app/app_state.h"

namespace lazarine::app {

namespace {

class ScanJobBackend final : public ScanBackend {
public:
    ScanJobBackend(readWriteInterface* reader, const ScanSelection& selection,
                   const ScanRequest& request, bool isVolumeSelected)
        : job_(reader, selection, request, isVolumeSelected) {}

    bool prepare(Reporter& reporter) override { return job_.prepare(reporter); }
    bool run(Reporter& reporter, JobControl& control,
             const std::function<void(FileSystemParser&)>& topLevelReady) override {
        return job_.run(reporter, control, topLevelReady);
    }
    FileSystemParser* parser() override { return job_.parser(); }

private:
    ScanJob job_;
};

}  // namespace

std::unique_ptr<ScanBackend> makeScanJobBackend(readWriteInterface* reader,
                                                const ScanSelection& selection,
                                                const ScanRequest& request,
                                                bool isVolumeSelected) {
    return std::make_unique<ScanJobBackend>(reader, selection, request, isVolumeSelected);
}

}  // namespace lazarine::app
