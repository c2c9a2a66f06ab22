#pragma once
#include "profile/frmwaituserdata.h"

// The twin of frmWaitUserData that sends the profile to the site.
class frmWaitUserDataSet : public frmWaitUserData
{
    Q_OBJECT
public:
    frmWaitUserDataSet(QWidget *parent, Transfer transfer);
};
