# fish completion for kestova-cli

set -l commands build walls scan
complete -c kestova-cli -f

complete -c kestova-cli -n "not __fish_seen_subcommand_from $commands" -a build -d 'Build the wall of a folder'
complete -c kestova-cli -n "not __fish_seen_subcommand_from $commands" -a walls -d 'List the walls built recently'
complete -c kestova-cli -n "not __fish_seen_subcommand_from $commands" -a scan -d 'List the photos a wall would include'
complete -c kestova-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'Show the commands'
complete -c kestova-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'

complete -c kestova-cli -n "__fish_seen_subcommand_from build scan" -a '(__fish_complete_directories)'
complete -c kestova-cli -n "__fish_seen_subcommand_from build scan" -l out -x -a '(__fish_complete_directories)' -d 'Write the wall into this folder'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l title -x -d 'The title of the wall'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l no-dedupe -d 'Show duplicate copies on this wall'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l previews -d 'Also make the previews a wall built before them lacks'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l portable -d 'Keep a screen-size copy of every photo in the wall'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l no-portable -d 'Give new photos of a portable wall no copies'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l video-copies -d 'Make a playable copy of every video the browser cannot play'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l wait -d 'Wait while another Kestova writes the same wall'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l retry-skipped -d 'Try again the photos passed over'
complete -c kestova-cli -n "__fish_seen_subcommand_from build walls" -l json -d 'Print the result as JSON'
complete -c kestova-cli -n "__fish_seen_subcommand_from build" -l open -d 'Open the finished wall in the web browser'
complete -c kestova-cli -n "__fish_seen_subcommand_from $commands" -l help -d 'Show the options of the command'
