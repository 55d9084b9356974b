#include "ZipWriterState.h"

#include <libdeflate.h>

// The members go through the deflate pipeline as for a write, so that the plan tells what the write
// would store and copy. Files the writer would stream itself go through a pipeline of their own with
// no earlier archive: a write never copies them.
Outcome<ZipWriter::Planned> ZipWriter::Plan()
{
    Planned planned{{}, QString::fromUtf8(d->comment)};
    std::unique_ptr<DeflatePipeline> large;
    const auto keepWaiting = [this] { return !(d->stopCheck && d->stopCheck()); };
    for (const State::Member &member : d->members) {
        PlannedEntry entry{member.entryName, quint64(member.data.size()),
                           quint32(libdeflate_crc32(0, member.data.constData(), size_t(member.data.size()))),
                           !member.password.isEmpty()};
        if (!member.filePath.isEmpty()) {
            if (!member.deflated && !large)
                large = std::make_unique<DeflatePipeline>();
            DeflatePipeline &pipeline = member.deflated ? *d->pipeline : *large;
            const size_t index = member.deflated ? *member.deflated
                                                 : large->Add(member.filePath, member.size, member.password,
                                                              member.content, member.entryName);
            std::optional<DeflatePipeline::Result> result = pipeline.Take(index, keepWaiting);
            if (!result)
                return Outcome<Planned>::failure(QString("The plan of %1 was stopped.").arg(d->archivePath));
            if (!*result)
                return Outcome<Planned>::failure(
                    QString("Cannot add %1 to %2: %3.").arg(member.filePath, d->archivePath, result->error().reason));
            entry = {member.entryName, result->value().size, result->value().crc, result->value().encrypted,
                     result->value().reused};
            pipeline.GiveBack(std::move(*result).value().data);
        }
        planned.entries.push_back(entry);
    }
    if (d->pipeline) {
        d->reuse.Reused = d->pipeline->ReusedCount();
        d->reuse.Damaged = d->pipeline->EarlierDamage();
    }
    return Outcome<Planned>::success(planned);
}
