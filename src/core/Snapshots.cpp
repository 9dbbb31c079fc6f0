// The pictures of a step: the snapshot that the host's reporter takes and the
// picture that the user's script hands over, both filed in the folder of the
// step's iteration below the results folder (CStepPictures does the work; the
// host objects it creates live as long as the logger).
#include "core/AnnalistImp.h"

HRESULT CAnnalistImp::SaveStepSnapshot(CDescription& description, const CBstrString& stepFolder, EventNode& node,
                                       VARIANT* viewType)
{
    return m_pictures.SaveStepSnapshot(description, m_resultsFolder.c_str(), stepFolder.c_str(), &node, viewType);
}

HRESULT CAnnalistImp::SaveUsersPicture(CDescription& description, const CBstrString& stepFolder, EventNode& node,
                                       VARIANT*)
{
    return m_pictures.SaveUsersPicture(description, m_resultsFolder.c_str(), stepFolder.c_str(), &node);
}
