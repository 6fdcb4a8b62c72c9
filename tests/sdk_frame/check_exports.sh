#!/bin/sh
# Fails when the shared library defines a dynamic symbol outside the exported families.
set -eu
lib="$1"
families='^(Ostrel_|OstrelPlayback_|TF_|VEZ2024_|Alg_|Cali_|CaliVideo_|Com_|FixDist_|FixTrans_|FixEmi_|Fpa_|GaoWen_|WeiJu_|XCali_|C2m_|Nst_|IRDenoise_|IRDestrip_|NETD_|ExtBb_|HW_|Util_|str|mt|mix|rt|AlarmClient_|AlarmServer_|AlarmData_|BusiClient_|BusiServer_|BusiData_|AlarmDataType_num2str$|BusiType_num2str$)'
symbols=$(nm -D --defined-only "$lib" | awk 'NF >= 3 { print $3 }')
[ -n "$symbols" ] || { echo "no exported symbols in $lib"; exit 1; }
echo "$symbols" | grep -q '^Ostrel_InitSDK$' || { echo "Ostrel_InitSDK is not exported"; exit 1; }
stray=$(echo "$symbols" | grep -Ev "$families" || true)
if [ -n "$stray" ]; then
  echo "symbols outside the exported families:"
  echo "$stray"
  exit 1
fi
echo "$(echo "$symbols" | wc -l) exported symbols, all in their families"
