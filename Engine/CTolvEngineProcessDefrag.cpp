// The hive compaction job: an analysis start that writes compacted copies and
// measures the gain, and a swap start that hands the copies to Windows.
#include "Engine/CTolvEngineProcess.h"

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/DefragResult.h"

namespace
{
int AnalyseHives(CRegistryDefrag& defrag, CAbstractStatus* sink, int osCode, bool& listed)
{
    if (!defrag.EnumerateHives())
        return kDefragHiveListFailed;
    listed = true;
    if (!defrag.CompactHives(osCode))
        return kDefragCompactionFailed;
    const DWORD gain = CRegistryDefrag::GainPercent(defrag.OldTotal(), defrag.NewTotal());
    if (gain <= kDefragWorthwhileGain)
        return kDefragNothingToGain;
    sink->OnItemFound("", gain, 0, 0);
    return kDefragWorthCompacting;
}
}

int CTolvEngineProcess::DefragRegistry()
{
    CAbstractStatus* const sink = m_pStatus;
    m_defrag.SetJob(sink, m_bWow64);

    int result = kDefragFailedBeforeHiveList;
    bool listed = false;
    try
    {
        if (m_bDefragReplace)
            result = m_defrag.ReplaceHives() ? kDefragSwapped : kDefragSwapFailed;
        else
            result = AnalyseHives(m_defrag, sink, m_nOsCode, listed);
    }
    catch (...)
    {
        result = listed ? kDefragFailedAfterHiveList : kDefragFailedBeforeHiveList;
    }
    return result;
}
