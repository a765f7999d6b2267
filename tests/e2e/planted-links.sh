# Sourced by the end-to-end runs: links planted under every name the report of "Jo Smith" can
# take in the next minute, as someone who can write to the run's folder could plant them.

# report_stamp EPOCH_SECOND: the date-time stamp of the report's name for that moment, local time.
report_stamp() {
  local Y m d H M S
  read -r Y m d H M S < <(date -d "@$1" '+%Y %-m %-d %-H %-M %-S')
  echo $(( ((Y - 1980) << 25) | (m << 21) | (d << 16) | (H << 11) | (M << 5) | (S / 2) ))
}

# plant_report_links FOLDER TARGET: a link to TARGET under each of those names in FOLDER.
plant_report_links() {
  local now offset
  now=$(date +%s)
  for offset in $(seq 0 2 60); do
    ln -s "$2" "$1/Jo_Smith-$(report_stamp $((now + offset))).smart"
  done
}
