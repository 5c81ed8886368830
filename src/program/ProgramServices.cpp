#include "ProgramServices.h"

#include "platform/StatusBarModel.h"

namespace norvale {

ProgramServices::ProgramServices(ServiceParts parts)
    : m_parts(std::move(parts))
    , m_boxes(m_parts.interactiveBoxes, m_state.InspectMode)
    , m_log(m_parts.programFolder, m_boxes, m_parts.clock)
    , m_favorites(m_parts.tree, m_settings, m_state, m_parts.fs, m_log, m_parts.programFolder)
    , m_transfer(m_parts.transfers)
    , m_probe(m_transfer, m_settings, m_parts.clock)
    , m_icons(m_transfer, m_parts.fs, m_parts.clock, m_parts.programFolder)
    , m_shortcuts(m_settings, m_parts.fs, m_parts.programFolder, &m_icons)
    , m_editor({m_parts.tree, m_parts.fs, m_log, m_boxes, m_state, m_favorites, m_shortcuts,
                m_parts.opener})
    , m_checker({m_parts.tree, m_settings, m_state, m_shortcuts, m_probe, m_favorites, m_editor,
                 m_parts.status, m_boxes, m_log, m_parts.fs, m_parts.programFolder,
                 m_parts.transfers, m_transfer, m_parts.clock})
{
    // Certificate authorities trusted besides the system's, such as a
    // company's own (certificates are verified either way).
    const QString caFile = qEnvironmentVariable("NORVALE_CA_FILE");
    if (!caFile.isEmpty())
        m_transfer.setCaFile(caFile);
    m_checker.setProgressReporter(
        [this](int done, int total) { m_parts.status.setProgress(done, total); });
}

} // namespace norvale
