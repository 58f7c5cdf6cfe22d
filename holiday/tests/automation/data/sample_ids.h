// Identifiers of the sample resources.
#ifndef SAMPLE_IDS_H
#define SAMPLE_IDS_H
#define IDS_BASE 9000
#define IDS_QUOTED (IDS_BASE + 0)
#define IDS_LONG (IDS_BASE | 2)
#endif
